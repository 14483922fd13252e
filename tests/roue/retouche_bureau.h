#pragma once

#include "commun/Dossier.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

// A desktop of its own for one test: XDG_DATA_HOME and the first XDG_DATA_DIRS point into a
// temporary folder ("sys1" before "sys2"), restored afterwards. The system's own folders stay
// last: the MIME database lives there.
class BureauTemporaire {
public:
    BureauTemporaire()
        : home_(qgetenv("XDG_DATA_HOME")), dirs_(qgetenv("XDG_DATA_DIRS"))
    {
        qputenv("XDG_DATA_HOME", dossier.chemin("home").toUtf8());
        const QByteArray systeme = dirs_.isEmpty() ? QByteArray("/usr/local/share:/usr/share") : dirs_;
        qputenv("XDG_DATA_DIRS", (dossier.chemin("sys1") + ':' + dossier.chemin("sys2")).toUtf8() + ':' + systeme);
    }
    ~BureauTemporaire()
    {
        qputenv("XDG_DATA_HOME", home_);
        qputenv("XDG_DATA_DIRS", dirs_);
    }

    // Writes applications/<identifiant>.desktop under `ou` ("home", "sys1" or "sys2").
    QString installer(const QString& identifiant, const QString& ou = "sys1",
                      const QString& exec = "/bin/true %U", const QString& extra = {}) const
    {
        const QString texte = "[Desktop Entry]\nType=Application\nName=" + identifiant
                              + "\nExec=" + exec + "\n" + extra;
        return dossier.ecrire(ou + "/applications/" + identifiant + ".desktop", texte.toUtf8());
    }

    Dossier dossier;

private:
    QByteArray home_, dirs_;
};

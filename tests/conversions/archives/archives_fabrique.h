#pragma once

// Zip archives written entry by entry by python3's zipfile, hostile ones included (names
// with "..", absolute names, links out of the folder), for the tests of unpacking.

#include <QByteArray>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QFileInfo>
#include <QMap>
#include <QJsonArray>
#include <QJsonDocument>
#include <QString>
#include <gtest/gtest.h>
#include <functional>
#include <utility>
#include <vector>

#include "commun/Dossier.h"

namespace Fabrique {

struct Entree {
    QString nom;
    QByteArray contenu;
    QString lien;          // a symbolic link to this target when not empty
    bool dossier = false;
    qint64 zeros = 0;      // that many zero bytes instead of `contenu`
};

inline Entree fichier(const QString& nom, const QByteArray& contenu) { return {nom, contenu, {}, false, 0}; }
inline Entree dossier(const QString& nom) { return {nom, {}, {}, true, 0}; }
inline Entree lien(const QString& nom, const QString& cible) { return {nom, {}, cible, false, 0}; }
inline Entree zeros(const QString& nom, qint64 taille) { return {nom, {}, {}, false, taille}; }

// Names are stored as they are given (UTF-8 flagged so), never made safe.
inline void ecrireZip(const QString& chemin, const std::vector<Entree>& entrees)
{
    QJsonArray liste;
    for (const Entree& e : entrees)
        liste.append(QJsonArray{e.nom, QString::fromLatin1(e.contenu.toBase64()), e.lien, e.dossier, e.zeros});
    const char* programme = R"(
import base64, json, sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    for nom, contenu, lien, dossier, zeros in json.loads(sys.argv[2]):
        i = zipfile.ZipInfo(nom, (2023, 11, 14, 22, 13, 20))
        i.compress_type = zipfile.ZIP_DEFLATED
        i.external_attr = (0o40755 << 16 | 0x10) if dossier else (0o120777 if lien else 0o100644) << 16
        z.writestr(i, lien.encode() if lien else bytes(int(zeros)) if zeros else base64.b64decode(contenu))
)";
    QString sortie;
    ASSERT_EQ(executer("python3", {"-c", programme, chemin, QJsonDocument(liste).toJson()}, &sortie), 0)
        << sortie.toStdString();
}

// Everything under `dossier`, links not followed: each name with its file's SHA-256, its
// link's target or "dossier"; what an unpacking must leave as it was.
inline QMap<QString, QByteArray> empreintes(const QString& dossier)
{
    QMap<QString, QByteArray> vus;
    QDirIterator it(dossier, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo f(it.next());
        QByteArray valeur = "dossier";
        if (f.isSymLink()) {
            valeur = "-> " + f.symLinkTarget().toUtf8();
        } else if (f.isFile()) {
            QFile fichier(f.filePath());
            valeur = fichier.open(QIODevice::ReadOnly)
                         ? QCryptographicHash::hash(fichier.readAll(), QCryptographicHash::Sha256).toHex()
                         : QByteArray("illisible");
        }
        vus.insert(QDir(dossier).relativeFilePath(f.filePath()), valeur);
    }
    return vus;
}

// Runs `action` once, on the thread that logs it, at the engine's first log line that starts
// with `debut`: a folder moves, or a disk fills, at a known point of an unpacking whatever the
// machine's load.
class AuMessage {
public:
    AuMessage(QString debut, std::function<void()> action)
    {
        debut_ = std::move(debut);
        action_ = std::move(action);
        avant_ = qInstallMessageHandler(&AuMessage::recevoir);
    }
    ~AuMessage() { qInstallMessageHandler(avant_); }
    AuMessage(const AuMessage&) = delete;
    AuMessage& operator=(const AuMessage&) = delete;

private:
    static void recevoir(QtMsgType, const QMessageLogContext&, const QString& message)
    {
        if (action_ && message.startsWith(debut_))
            std::exchange(action_, {})();
    }
    static inline QString debut_;
    static inline std::function<void()> action_;
    QtMessageHandler avant_;
};

} // namespace Fabrique

#include "Aides.h"
#include "commun/Ouvreur.h"
#include "application/Reveler.h"
#include "commun/Dossier.h"

#include <QDBusConnection>
#include <QProcess>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

// A session bus of our own, with nothing on it but what a test puts there.
class BusPrive {
public:
    BusPrive()
    {
        demon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                     QStringLiteral("--print-address"),
                                                     QStringLiteral("--address=unix:dir=") + d.racine()});
        if (demon.waitForStarted() && demon.waitForReadyRead(5000))
            adresse = QString::fromUtf8(demon.readLine()).trimmed();
    }
    ~BusPrive()
    {
        for (const QString& n : noms)
            QDBusConnection::disconnectFromBus(n);
        demon.kill();
        demon.waitForFinished();
    }
    QDBusConnection connexion(const QString& nom)
    {
        noms << nom;
        return QDBusConnection::connectToBus(adresse, nom);
    }
    QString adresse;

private:
    Dossier d;
    QProcess demon;
    QStringList noms;
};

// The file manager's interface, answering like one.
class Gestionnaire : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList montres;
public slots:
    Q_SCRIPTABLE void ShowItems(const QStringList& uris, const QString&) { montres = uris; }
};

} // namespace

TEST(Reveler, LeGestionnaireDeFichiersMontreLesFichiersChoisis)
{
    BusPrive bus;
    ASSERT_FALSE(bus.adresse.isEmpty());
    Gestionnaire g;
    QDBusConnection cote = bus.connexion(QStringLiteral("gestionnaire"));
    ASSERT_TRUE(cote.registerService(QStringLiteral("org.freedesktop.FileManager1")));
    ASSERT_TRUE(cote.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &g,
                                    QDBusConnection::ExportScriptableSlots));
    Ouvreur o;
    QObject contexte;
    Application::reveler({QStringLiteral("/tmp/a b/x 1.jpg"), QStringLiteral("/tmp/a b/y#.jpg")}, bus.connexion(QStringLiteral("app")),
            &contexte);
    ASSERT_TRUE(attendre([&] { return !g.montres.isEmpty(); }));
    EXPECT_EQ(g.montres, (QStringList{QStringLiteral("file:///tmp/a%20b/x%201.jpg"), QStringLiteral("file:///tmp/a%20b/y%23.jpg")}));
    patienter(100);
    EXPECT_TRUE(o.ouverts.isEmpty());
}

TEST(Reveler, SansGestionnaireLeDossierSOuvre)
{
    BusPrive bus;
    ASSERT_FALSE(bus.adresse.isEmpty());
    Ouvreur o;
    QObject contexte;
    Application::reveler({QStringLiteral("/tmp/dossier/x.jpg")}, bus.connexion(QStringLiteral("seule")), &contexte);
    ASSERT_TRUE(attendre([&] { return !o.ouverts.isEmpty(); }));
    EXPECT_EQ(o.ouverts, QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp/dossier"))});
    // Without any bus at all, the same.
    Application::reveler({QStringLiteral("/tmp/autre/y.jpg")}, QDBusConnection(QStringLiteral("aucune")), &contexte);
    EXPECT_EQ(o.ouverts.size(), 2);
}

#include "Reveler.moc"

// Pictures are first read on a worker while other threads read the environment (GLib's own
// workers do): that first reading must not write to it, or their getenv can crash. Checked
// in a process of its own, started without what an earlier reading may have set, where no
// picture was read before.

#include "conversions/images/images_fabrique.h"

#include "conversions/images/Images.h"

#include <QCoreApplication>
#include <QProcess>
#include <thread>
#include <unistd.h>

using namespace essais;

namespace {

QStringList environnement()
{
    QStringList l;
    for (char** e = environ; *e; ++e)
        l << QString::fromLocal8Bit(*e);
    return l;
}

} // namespace

// Run alone, by the test below.
TEST(Environnement, DISABLED_PremiereImageDuProcessus)
{
    Dossier d;
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(QColor(20, 120, 140));
    const QString chemin = ecrire(d, "x.png", image);
    const QStringList avant = environnement();
    std::thread([&] { EXPECT_EQ(Conversions::redressee(chemin).size(), QSize(40, 30)); }).join();
    const QStringList apres = environnement();
    QStringList ecarts;
    for (const QString& e : apres)
        if (!avant.contains(e))
            ecarts << QStringLiteral("+") + e;
    for (const QString& e : avant)
        if (!apres.contains(e))
            ecarts << QStringLiteral("-") + e;
    EXPECT_TRUE(ecarts.isEmpty()) << ecarts.join(QLatin1Char(' ')).toStdString();
}

TEST(Environnement, LaPremiereImageLueSurUnFilNeLeChangePas)
{
    // This process's environment is only read: the child gets its own.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("VIPSHOME"));
    QProcess enfant;
    enfant.setProcessEnvironment(env);
    enfant.setProcessChannelMode(QProcess::MergedChannels);
    enfant.start(QCoreApplication::applicationFilePath(),
                 {"--gtest_also_run_disabled_tests", "--gtest_filter=Environnement.DISABLED_PremiereImageDuProcessus"});
    ASSERT_TRUE(enfant.waitForFinished(300000));
    EXPECT_EQ(enfant.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(enfant.exitCode(), 0) << enfant.readAll().toStdString();
}

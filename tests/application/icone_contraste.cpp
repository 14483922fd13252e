// The tray icon reads on a dark panel as on a light one.
#include "Aides.h"
#include "application/BarreSysteme.h"
#include "application/Icone.h"

#include <QIcon>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

// Pixels of the icon laid on `fond` that stand out from it: a difference of lightness of at
// least a third of the scale.
int contrastes(const QIcon& icone, const QColor& fond, double echelle = 1)
{
    const int cote = qRound(18 * echelle);
    QImage im(cote, cote, QImage::Format_ARGB32_Premultiplied);
    im.fill(fond);
    {
        QPainter p(&im);
        p.drawPixmap(im.rect(), icone.pixmap(QSize(18, 18), echelle));
    }
    int n = 0;
    for (int y = 0; y < im.height(); ++y)
        for (int x = 0; x < im.width(); ++x)
            n += std::abs(qGray(im.pixel(x, y)) - qGray(fond.rgb())) > 85;
    return n;
}

} // namespace

// The icon as the application shows it, at rest, with a job's ring and after each outcome,
// on a near-black and a near-white panel, in a light and in a dark desktop's ink.
TEST(IconeContraste, LisibleSurPanneauClairEtSombre)
{
    const QColor sombre(24, 24, 26), clair(236, 236, 238);
    Application::BarreSysteme barre;
    barre.installer({});
    ASSERT_FALSE(barre.icon().isNull());
    const QIcon repos = barre.icon();
    for (double echelle : {1.0, 2.0, 3.0}) {
        EXPECT_GE(contrastes(repos, sombre, echelle), 30 * echelle * echelle) << echelle;
        EXPECT_GE(contrastes(repos, clair, echelle), 30 * echelle * echelle) << echelle;
        // The same picture at every scale, not a corner of it enlarged.
        const QImage grand = repos.pixmap(QSize(18, 18), echelle).toImage().scaled(18, 18, Qt::IgnoreAspectRatio,
                                                                                     Qt::SmoothTransformation);
        const QImage petit = repos.pixmap(QSize(18, 18), 1).toImage();
        double ecart = 0;
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 18; ++x)
                ecart += std::abs(qAlpha(grand.pixel(x, y)) - qAlpha(petit.pixel(x, y)));
        EXPECT_LT(ecart / (18 * 18), 25) << echelle;
    }

    for (const QColor& encre : {QColor(Qt::black), QColor(235, 235, 235)}) {
        const QIcon anneau = Application::Icone::icone([&](double e) { return Application::Icone::anneau(0.5, encre, e); }, encre);
        const QIcon echec = Application::Icone::icone(
            [&](double e) { return Application::Icone::symbole(QStringLiteral("exclamationmark.circle.fill"), encre, e); }, encre);
        for (const QIcon& i : {anneau, echec}) {
            EXPECT_GE(contrastes(i, sombre), 30) << encre.name().toStdString();
            EXPECT_GE(contrastes(i, clair), 30) << encre.name().toStdString();
        }
    }
    // Without the halo a black ink vanishes on the dark panel: what the halo mends.
    const QIcon nu = QIcon(QPixmap::fromImage(Application::Icone::symbole(QStringLiteral("circle.circle"), Qt::black)));
    EXPECT_LT(contrastes(nu, sombre), 10);
}

// A closed tool window gives back what it held: after several opens of a large photo, the
// process's resident size comes back near where it was after the first.
#include "commun/Attendre.h"
#include "commun/Dossier.h"
#include "fenetres/commun/FenetreOutil.h"
#include "fenetres/commun/modele/Memoire.h"
#include "fenetres/commun/Outils.h"
#include "fenetres/lumiere/VueLumiere.h"
#include "fenetres/rogner/VueRogner.h"

#include <QImage>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

constexpr long long mo = 1024 * 1024;

// A 6000 × 4000 photo with grain everywhere: 96 MB once decoded.
QString grandePhoto(const QString& chemin)
{
    QImage image(6000, 4000, QImage::Format_RGB32);
    QRandomGenerator g(7);
    for (int y = 0; y < image.height(); ++y) {
        auto* ligne = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            ligne[x] = qRgb(x / 24, y / 16, int(g.generate() & 63) + 96);
    }
    image.save(chemin, "JPG", 90);
    return chemin;
}

// Opens the tool, waits until the photo is shown, closes the window and lets it go.
template <typename Vue>
void ouvrirEtFermer(const QString& cle, const QString& photo, const std::function<bool(Vue&)>& montree)
{
    ASSERT_TRUE(Outils::ouvrir(cle, photo, [](const QString&) {}));
    FenetreOutil* f = FenetreOutil::ouvertes().last();
    auto* vue = f->findChild<Vue*>();
    ASSERT_NE(vue, nullptr);
    ASSERT_TRUE(attendre([&] { return montree(*vue); }));
    f->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void tour(const QString& photo)
{
    ouvrirEtFermer<VueRogner>(QStringLiteral("recadrer"), photo, [](VueRogner& v) { return v.chargee(); });
    ouvrirEtFermer<VueLumiere>(QStringLiteral("lumiere"), photo, [](VueLumiere& v) { return !v.rendu().isNull(); });
}

// Lets the deferred trims run.
long long apresRepos()
{
    attendre([] { return false; }, 2500);
    return Memoire::residente();
}

} // namespace

TEST(Memoire, FenetresFermeesRendentLaPhoto)
{
    for (FenetreOutil* f : FenetreOutil::ouvertes())  // left by other tests
        f->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Dossier d;
    const QString photo = grandePhoto(d.chemin("grande.jpg"));
    ASSERT_GT(Memoire::residente(), 0);
    tour(photo);  // the libraries load and settle once
    const long long apresUn = apresRepos();
    for (int i = 0; i < 5; ++i)
        tour(photo);
    const long long apresSix = apresRepos();
    // One decoded photo is 96 MB: five more opens of two windows keep far less than one.
    EXPECT_LT(apresSix - apresUn, 24 * mo) << apresUn / mo << " MB then " << apresSix / mo << " MB";
    EXPECT_TRUE(FenetreOutil::ouvertes().isEmpty());
}

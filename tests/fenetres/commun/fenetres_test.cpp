// The tool windows driven as the user drives them, on the offscreen platform: opening,
// the list of open windows, cropping and correcting a photo, failures shown in the window.
#include "commun/Attendre.h"
#include "commun/Dossier.h"
#include "conversions/media_outils.h"
#include "fenetres/commun/Boutons.h"
#include "fenetres/commun/ChoixPilules.h"
#include "fenetres/commun/Entete.h"
#include "fenetres/commun/FenetreOutil.h"
#include "fenetres/commun/Outils.h"
#include "fenetres/commun/Pilule.h"
#include "fenetres/lumiere/VueLumiere.h"
#include "fenetres/rogner/VueRogner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// Lets closed windows go.
void fermerTout()
{
    for (FenetreOutil* f : FenetreOutil::ouvertes())
        f->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A photo with detail everywhere, so that it does not compress to nothing.
QString photo(const QString& chemin, int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((x * 7919 + y * 13) % 256, (y * 31 + x) % 256, (x ^ y) % 256));
    image.save(chemin);
    return chemin;
}

struct Ouverte {
    QStringList finis;
    FenetreOutil* fenetre = nullptr;

    template <typename Vue>
    Vue* ouvrir(const QString& cle, const QString& fichier)
    {
        EXPECT_TRUE(Outils::ouvrir(cle, fichier, [this](const QString& f) { finis << f; }));
        fenetre = FenetreOutil::ouvertes().last();
        return fenetre->findChild<Vue*>();
    }
};

class Vide : public QWidget {
public:
    explicit Vide(int hauteur)
    {
        auto* pile = new QVBoxLayout(this);
        pile->addSpacing(hauteur);
        pile->setContentsMargins(0, 0, 0, 0);
    }
};

} // namespace

TEST(FenetreOutil, HauteurListeEtFermeture)
{
    fermerTout();
    const std::pair<int, int> cas[] = {{150, 600}, {650, 650}, {900, 720}};
    for (auto [contenu, attendue] : cas) {
        FenetreOutil* f = FenetreOutil::ouvrir({620, 600}, [contenu](FenetreOutil*) { return new Vide(contenu); });
        EXPECT_EQ(f->size(), QSize(620, attendue)) << contenu;
        EXPECT_EQ(f->minimumSize(), f->maximumSize());  // not resizable
        EXPECT_TRUE(f->windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_FALSE(f->isModal());
    }
    ASSERT_EQ(FenetreOutil::ouvertes().size(), 3);
    QPointer<FenetreOutil> premiere = FenetreOutil::ouvertes().first();
    const QList<FenetreOutil*> autres = FenetreOutil::ouvertes().mid(1);
    premiere->close();
    EXPECT_EQ(FenetreOutil::ouvertes(), autres);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(premiere.isNull());
    fermerTout();
    EXPECT_TRUE(FenetreOutil::ouvertes().isEmpty());
    EXPECT_FALSE(Outils::ouvrir(QStringLiteral("pages"), QStringLiteral("/x.png"), {}));
}

TEST(FenetreOutil, RognerUnePhoto)
{
    fermerTout();
    Dossier d;
    const QString source = photo(d.chemin("photo.jpg"), 400, 300);
    const QByteArray avant = essais::lire(source);

    // Cancelling writes nothing and calls nothing.
    Ouverte a;
    auto* annulee = a.ouvrir<VueRogner>(QStringLiteral("recadrer"), source);
    ASSERT_TRUE(attendre([&] { return annulee->chargee(); }));
    EXPECT_EQ(annulee->entete().titre(), "Rogner photo.jpg");
    EXPECT_EQ(annulee->entete().pastille(), "400 × 300 px");
    annulee->boutons().annulation().click();
    EXPECT_TRUE(FenetreOutil::ouvertes().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // A square, confirmed: a 300 × 300 crop beside the source, handed to `fini`.
    Ouverte o;
    auto* vue = o.ouvrir<VueRogner>(QStringLiteral("recadrer"), source);
    ASSERT_TRUE(attendre([&] { return vue->chargee(); }));
    vue->choisirFormat(1);
    EXPECT_EQ(vue->cadre(), QRectF(50, 0, 300, 300));
    EXPECT_EQ(vue->entete().pastille(), "300 × 300 px");
    vue->boutons().confirmation().click();
    ASSERT_TRUE(attendre([&] { return !o.finis.isEmpty(); }));
    EXPECT_EQ(o.finis, QStringList{d.chemin("photo (rognée).jpg")});
    QString taille;
    executer("vipsheader", {"-f", "width", o.finis[0]}, &taille);
    EXPECT_EQ(taille.trimmed(), "300");
    EXPECT_TRUE(FenetreOutil::ouvertes().isEmpty());
    EXPECT_TRUE(a.finis.isEmpty());
    EXPECT_EQ(essais::lire(source), avant);
    EXPECT_EQ(d.noms(), (QStringList{"photo (rognée).jpg", "photo.jpg"}));
}

TEST(FenetreOutil, FermeePendantLEnregistrement)
{
    fermerTout();
    Dossier d;
    // Large enough that the save is still running when the window closes.
    const QString source = photo(d.chemin("grande.png"), 3000, 2000);
    Ouverte o;
    auto* vue = o.ouvrir<VueLumiere>(QStringLiteral("lumiere"), source);
    ASSERT_TRUE(attendre([&] { return !vue->apercu().isNull(); }));
    vue->setReglages(0.3, 0, 0, true);
    vue->boutons().confirmation().click();
    EXPECT_TRUE(vue->occupe());
    EXPECT_FALSE(vue->boutons().confirmation().isEnabled());
    vue->boutons().annulation().click();  // "Annuler" stays enabled while saving
    EXPECT_TRUE(FenetreOutil::ouvertes().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // The save still ends, and its file is still recorded.
    ASSERT_TRUE(attendre([&] { return !o.finis.isEmpty(); }));
    EXPECT_EQ(o.finis, QStringList{d.chemin("grande (retouchée).png")});
    EXPECT_TRUE(QFileInfo(o.finis[0]).size() > 0);
}

TEST(FenetreOutil, LumiereGrise)
{
    fermerTout();
    Dossier d;
    const QString source = photo(d.chemin("photo.jpg"), 320, 240);
    Ouverte o;
    auto* vue = o.ouvrir<VueLumiere>(QStringLiteral("lumiere"), source);
    ASSERT_TRUE(attendre([&] { return !vue->rendu().isNull(); }));
    EXPECT_EQ(vue->entete().pastille(), "d'origine");
    vue->setReglages(0, 0, -1, false);
    EXPECT_EQ(vue->entete().pastille(), "retouchée");
    // The preview follows the settings after its pause: a grey picture.
    ASSERT_TRUE(attendre([&] {
        const QRgb p = vue->rendu().pixel(10, 10);
        return qRed(p) == qGreen(p) && qGreen(p) == qBlue(p);
    }));
    vue->boutons().confirmation().click();
    ASSERT_TRUE(attendre([&] { return !o.finis.isEmpty(); }));
    const QImage grise(o.finis.value(0));
    ASSERT_FALSE(grise.isNull());
    int ecart = 0;
    for (int y = 0; y < grise.height(); y += 7)
        for (int x = 0; x < grise.width(); x += 7) {
            const QRgb p = grise.pixel(x, y);
            ecart = std::max({ecart, std::abs(qRed(p) - qGreen(p)), std::abs(qGreen(p) - qBlue(p))});
        }
    EXPECT_LE(ecart, 3);  // JPEG's rounding only
}

TEST(FenetreOutil, EchecsDansLaFenetre)
{
    fermerTout();
    Dossier d;
    const QString casse = d.ecrire("casse.jpg", bruit(4000));
    // An unreadable photo: the message, no crash, the window stays.
    Ouverte r;
    auto* rogner = r.ouvrir<VueRogner>(QStringLiteral("recadrer"), casse);
    ASSERT_TRUE(attendre([&] { return !rogner->erreur().isEmpty(); }));
    EXPECT_EQ(rogner->erreur(), "Impossible de lire la photo");
    rogner->boutons().confirmation().click();  // nothing to save
    EXPECT_FALSE(rogner->occupe());
    Ouverte l;
    auto* lumiere = l.ouvrir<VueLumiere>(QStringLiteral("lumiere"), casse);
    ASSERT_TRUE(attendre([&] { return !lumiere->erreur().isEmpty(); }));
    EXPECT_EQ(lumiere->erreur(), "Impossible de lire la photo");
    lumiere->boutons().confirmation().click();
    ASSERT_TRUE(attendre([&] { return !lumiere->occupe(); }));
    EXPECT_EQ(lumiere->erreur(), illisible("casse.jpg"));
    EXPECT_EQ(FenetreOutil::ouvertes().size(), 2);

    // A full disk: the window shows why, keeps its settings and lets the user try again.
    const QString source = photo(d.chemin("photo.png"), 1200, 900);
    Ouverte p;
    auto* vue = p.ouvrir<VueLumiere>(QStringLiteral("lumiere"), source);
    ASSERT_TRUE(attendre([&] { return !vue->apercu().isNull(); }));
    vue->setReglages(0.2, 0, 0, false);
    {
        DisquePlein plein(8192);
        vue->boutons().confirmation().click();
        ASSERT_TRUE(attendre([&] { return !vue->occupe(); }));
    }
    EXPECT_EQ(vue->erreur(), sansPlace("photo.png"));
    EXPECT_TRUE(vue->boutons().confirmation().isEnabled());
    EXPECT_DOUBLE_EQ(vue->lumiere(), 0.2);
    EXPECT_TRUE(p.finis.isEmpty());
    EXPECT_EQ(d.noms(), (QStringList{"casse.jpg", "photo.png"}));
    fermerTout();
}

TEST(FenetreOutil, PiecesPartagees)
{
    // The white pill slides to a new choice, or jumps there when motion is reduced.
    for (bool reduire : {false, true}) {
        ChoixPilules choix({"Libre", "Carré", "4:5", "9:16"});
        choix.setReduire(reduire);
        choix.setChoisi(2);
        EXPECT_EQ(choix.curseur() == choix.cadre(2), reduire);
        ASSERT_TRUE(attendre([&] { return choix.curseur() == choix.cadre(2); }, 3000));
    }
    // A long title gives way in its middle; the badge stays whole inside the header.
    Entete entete(QStringLiteral("Rogner une photo de vacances au nom vraiment beaucoup trop long.jpg"),
                  QStringLiteral("4000 × 3000 px"));
    entete.resize(360, entete.sizeHint().height());
    EXPECT_TRUE(entete.titreAffiche().contains(QChar(0x2026)));
    EXPECT_TRUE(entete.titreAffiche().startsWith("Rogner"));
    EXPECT_TRUE(entete.titreAffiche().endsWith(".jpg"));
    EXPECT_LE(entete.cadrePastille().right(), 360);
    EXPECT_GE(entete.cadrePastille().width(), QFontMetrics(QFont()).horizontalAdvance("4000 × 3000 px") / 2);
}

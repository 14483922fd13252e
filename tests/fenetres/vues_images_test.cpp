// The mask and annotate windows driven as the user drives them, on the offscreen platform:
// zones proposed, added by a drag and removed by a click; marks traced, typed and taken back;
// saves, and failures shown in the window with nothing written.
#include "commun/Dossier.h"
#include "commun/Souris.h"
#include "fenetres/commun/Boutons.h"
#include "fenetres/commun/Entete.h"
#include "fenetres/commun/FenetreOutil.h"
#include "fenetres/commun/Outils.h"
#include "fenetres/commun/Pilule.h"
#include "fenetres/annoter/VueAnnoter.h"
#include "fenetres/masquer/VueMasquer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

bool attendre(const std::function<bool()>& condition, int ms = 30000)
{
    QElapsedTimer t;
    t.start();
    while (!condition() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

template <typename Vue>
Vue* ouvrir(const QString& cle, const QString& fichier, QStringList& finis)
{
    for (FenetreOutil* f : FenetreOutil::ouvertes())  // left by other tests
        f->close();
    EXPECT_TRUE(Outils::ouvrir(cle, fichier, [&finis](const QString& f) { finis << f; }));
    return FenetreOutil::ouvertes().last()->findChild<Vue*>();
}

QString ecrite(const QString& chemin, const QString& ligne)
{
    QImage image(1200, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(40);
    QPainter p(&image);
    p.setFont(f);
    p.setPen(Qt::black);
    if (!ligne.isEmpty())
        p.drawText(60, 120, ligne);
    p.end();
    image.save(chemin);
    return chemin;
}

} // namespace

TEST(VuesImages, MasquerTrouveAjouteRetireEtEnregistre)
{
    Dossier d;
    const QString source = ecrite(d.chemin("texte.png"), QStringLiteral("Contact : marie.curie@labo.fr merci"));
    QStringList finis;
    auto* vue = ouvrir<VueMasquer>(QStringLiteral("masquer"), source, finis);
    ASSERT_TRUE(vue);
    EXPECT_EQ(vue->entete().pastille(), "recherche…");
    // While the text is read, a drag adds nothing.
    glisser(vue->canevas(), {100, 300}, {300, 340});
    EXPECT_TRUE(vue->zones().isEmpty());
    ASSERT_TRUE(attendre([&] { return !vue->cherche(); }));
    ASSERT_EQ(vue->zones().size(), 1);
    EXPECT_EQ(vue->entete().pastille(), "1 zone masquée");

    const Toile t = vue->toile();
    const QPointF bas = t.versEcran({200, 300});
    glisser(vue->canevas(), bas, bas + QPointF(80, 20));
    ASSERT_EQ(vue->zones().size(), 2);
    EXPECT_EQ(vue->entete().pastille(), "2 zones masquées");
    glisser(vue->canevas(), bas + QPointF(0, 60), bas + QPointF(80, 60));  // flat: hides nothing
    EXPECT_EQ(vue->zones().size(), 2);
    glisser(vue->canevas(), bas + QPointF(10, 10), bas + QPointF(12, 11));  // a click removes it
    EXPECT_EQ(vue->zones().size(), 1);

    vue->boutons().confirmation().click();
    ASSERT_TRUE(attendre([&] { return !finis.isEmpty(); }));
    EXPECT_EQ(finis, QStringList{d.chemin("texte (masquée).png")});
    EXPECT_TRUE(FenetreOutil::ouvertes().isEmpty());
    const QImage avant(source), apres(finis[0]);
    EXPECT_EQ(apres.size(), avant.size());
    EXPECT_NE(apres.convertToFormat(QImage::Format_RGB32), avant.convertToFormat(QImage::Format_RGB32));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(VuesImages, MasquerSansFlouOuSansPhotoNEcritRien)
{
    Dossier d;
    // A blank photo: nothing found, and its blur would change nothing.
    const QString source = ecrite(d.chemin("blanche.png"), {});
    QStringList finis;
    auto* vue = ouvrir<VueMasquer>(QStringLiteral("masquer"), source, finis);
    ASSERT_TRUE(attendre([&] { return !vue->cherche(); }));
    EXPECT_EQ(vue->entete().pastille(), "rien de trouvé");
    const QPointF coin = vue->toile().versEcran({100, 100});
    glisser(vue->canevas(), coin, coin + QPointF(60, 40));
    ASSERT_EQ(vue->zones().size(), 1);
    vue->boutons().confirmation().click();
    ASSERT_TRUE(attendre([&] { return !vue->occupe(); }));
    EXPECT_EQ(vue->erreur(), "La photo n’a pas pu être floutée : rien n’y serait masqué");
    EXPECT_TRUE(finis.isEmpty());
    EXPECT_EQ(d.noms(), QStringList{"blanche.png"});
    FenetreOutil::ouvertes().last()->close();

    const QString abimee = d.ecrire("abimee.jpg", "pas une image");
    auto* illisible = ouvrir<VueMasquer>(QStringLiteral("masquer"), abimee, finis);
    ASSERT_TRUE(attendre([&] { return !illisible->cherche(); }));
    EXPECT_EQ(illisible->erreur(), "Impossible de lire la photo");
    EXPECT_EQ(illisible->entete().pastille(), "rien de trouvé");
    illisible->boutons().confirmation().click();
    EXPECT_FALSE(illisible->occupe());
    FenetreOutil::ouvertes().last()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(VuesImages, AnnoterTraceEcritReprendEtEnregistre)
{
    Dossier d;
    const QString source = ecrite(d.chemin("photo.png"), QStringLiteral("Une photo"));
    QStringList finis;
    auto* vue = ouvrir<VueAnnoter>(QStringLiteral("annoter"), source, finis);
    ASSERT_TRUE(attendre([&] { return vue->chargee(); }));
    EXPECT_EQ(vue->entete().pastille(), "rien d'ajouté");
    QWidget& toile = vue->canevas();
    const Toile t = vue->toile();
    const QPointF p = t.versEcran({300, 200});
    glisser(toile, p, p + QPointF(6, 0));  // 6 points: nothing
    EXPECT_TRUE(vue->faites().isEmpty());
    glisser(toile, p, p + QPointF(7, 0));
    ASSERT_EQ(vue->faites().size(), 1);
    // A drag ending outside the photo stops on its edge.
    glisser(toile, p, QPointF(toile.width() + 50, p.y()));
    ASSERT_EQ(vue->faites().size(), 2);
    EXPECT_DOUBLE_EQ(vue->faites()[1].b.x(), 1200);
    vue->reprendre();
    EXPECT_EQ(vue->faites().size(), 1);

    // The text tool: blanks alone are dropped; a typed text keeps its blanks.
    vue->choisirOutil(2);
    glisser(toile, p, p);
    ASSERT_TRUE(vue->saisie());
    vue->saisie()->setText(QStringLiteral("   "));
    glisser(toile, p + QPointF(0, 40), p + QPointF(0, 40));  // a second click commits the first
    EXPECT_EQ(vue->faites().size(), 1);
    ASSERT_TRUE(vue->saisie());
    vue->choisirCouleur(4);
    vue->saisie()->setText(QStringLiteral("Ici "));
    QKeyEvent retour(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(vue->saisie(), &retour);
    EXPECT_FALSE(vue->saisie());
    ASSERT_EQ(vue->faites().size(), 2);
    EXPECT_EQ(vue->faites()[1].texte, "Ici ");
    EXPECT_EQ(vue->faites()[1].couleur, couleursAnnotation()[4]);
    EXPECT_EQ(vue->entete().pastille(), "2 ajouts");
    // Take back while typing closes the text and keeps the marks.
    glisser(toile, p, p);
    vue->saisie()->setText(QStringLiteral("perdu"));
    vue->reprendre();
    EXPECT_FALSE(vue->saisie());
    EXPECT_EQ(vue->faites().size(), 2);

    vue->boutons().confirmation().click();
    ASSERT_TRUE(attendre([&] { return !finis.isEmpty(); }));
    EXPECT_EQ(finis, QStringList{d.chemin("photo (annotée).png")});
    EXPECT_EQ(QImage(finis[0]).size(), QSize(1200, 400));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

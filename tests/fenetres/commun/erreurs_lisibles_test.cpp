// A failure read where it stands: in every tool window the message gets the width its two
// lines need (the window widens inside the work area), its lines break between words, the
// output's name is kept, and nothing of the window overlaps whatever the message's length.
#include "commun/Attendre.h"
#include "commun/Dossier.h"
#include "conversions/media_outils.h"
#include "fenetres/commun/PhotoDeGrain.h"
#include "fenetres/annoter/VueAnnoter.h"
#include "fenetres/commun/Boutons.h"
#include "fenetres/commun/Entete.h"
#include "fenetres/commun/FenetreOutil.h"
#include "fenetres/commun/Outils.h"
#include "fenetres/commun/Pilule.h"
#include "fenetres/commun/TexteErreur.h"
#include "fenetres/lumiere/VueLumiere.h"
#include "fenetres/masquer/VueMasquer.h"
#include "fenetres/rogner/VueRogner.h"

#include <QAccessible>
#include <QCursor>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLayout>
#include <QRegularExpression>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

QStringList mots(const QString& texte)
{
    static const QRegularExpression blancs(QStringLiteral("[\\s\\x{00A0}]+"));
    return texte.split(blancs, Qt::SkipEmptyParts);
}

struct Ouverte {
    FenetreOutil* fenetre;
    VueOutil* vue;

    Ouverte(const char* cle, const QString& fichier)
    {
        EXPECT_TRUE(Outils::ouvrir(QLatin1String(cle), fichier, [](const QString&) {}));
        fenetre = FenetreOutil::ouvertes().last();
        vue = fenetre->findChild<VueOutil*>();
    }
    ~Ouverte()
    {
        fenetre->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // A failed save on a full disk.
    void echouer()
    {
        DisquePlein plein(1024);
        vue->boutons().confirmation().click();
        ASSERT_TRUE(attendre([&] { return !vue->occupe(); }));
    }
    void poser()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        vue->layout()->activate();
    }
};

// Nothing of the window overlaps: its pieces apart from one another, inside the view.
void sansChevauchement(const Ouverte& o, const std::string& cas)
{
    QList<QWidget*> pieces;
    for (QWidget* w : o.vue->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (w->isVisible())
            pieces << w;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        EXPECT_TRUE(o.vue->rect().contains(pieces[i]->geometry()))
            << cas << ": " << pieces[i]->metaObject()->className() << " leaves the window";
        for (qsizetype j = i + 1; j < pieces.size(); ++j)
            EXPECT_FALSE(pieces[i]->geometry().intersects(pieces[j]->geometry()))
                << cas << ": " << pieces[i]->metaObject()->className() << " over "
                << pieces[j]->metaObject()->className();
    }
    const QRect travail = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(travail.contains(o.fenetre->geometry())) << cas << ": the window leaves the work area";
}

// What the failure draws: red ink in one or two bands, none cut at its right edge. A band
// is a line's body: rows with a quarter of the inkiest row's red at least (an ascender's or a
// descender's tips alone make no band).
void dessinLisible(TexteErreur& texte, const std::string& cas)
{
    const QImage image = texte.grab().toImage();
    QList<int> parLigne;
    int rouges = 0;
    for (int y = 0; y < image.height(); ++y) {
        int ici = 0;
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 140 && c.green() < 120 && c.blue() < 120 && c.alpha() > 0) {
                ++ici;
                EXPECT_LT(x, image.width() - 1) << cas << ": ink cut at the right edge, row " << y;
            }
        }
        parLigne << ici;
        rouges += ici;
    }
    const int corps = std::max(3, *std::max_element(parLigne.begin(), parLigne.end()) / 4);
    int bandes = 0;
    for (qsizetype y = 0; y < parLigne.size(); ++y)
        if (parLigne[y] >= corps && (y == 0 || parLigne[y - 1] < corps))
            ++bandes;
    EXPECT_GT(rouges, 0) << cas;
    EXPECT_GE(bandes, 1) << cas;
    EXPECT_LE(bandes, 2) << cas;
}

// The failure's lines, whole words only, each within the width it was given.
void lignesEntieres(TexteErreur& texte, const std::string& cas)
{
    const QStringList l = texte.lignes();
    EXPECT_LE(l.size(), 2) << cas;
    EXPECT_EQ(mots(l.join(QLatin1Char(' '))), mots(texte.texte())) << cas << ": " << l.join('|').toStdString();
    for (const QString& ligne : l)
        EXPECT_LE(QFontMetricsF(texte.font()).horizontalAdvance(ligne), texte.width() + 0.5) << cas;
}

// The photo has been read, and the mask window has looked for what to hide.
bool chargee(VueOutil& vue)
{
    if (auto* v = qobject_cast<VueRogner*>(&vue))
        return v->chargee();
    if (auto* v = qobject_cast<VueLumiere*>(&vue))
        return !v->apercu().isNull();
    if (auto* v = qobject_cast<VueMasquer*>(&vue))
        return !v->cherche();
    if (auto* v = qobject_cast<VueAnnoter*>(&vue))
        return v->chargee();
    return false;
}

} // namespace

// An unreadable photo and a refused save in the crop and light windows, opened against the
// work area's corner: the message whole on two lines at most, the window wider but inside
// the area and no taller, the photo's name kept.
TEST(ErreursLisibles, RognerEtLumiere)
{
    Dossier d;
    const QString casse = d.ecrire("casse.jpg", QByteArray(3000, '\x5a'));
    const QString photo = photoDeGrain(d.chemin("photo.png"));
    const QRect travail = QGuiApplication::primaryScreen()->availableGeometry();
    QCursor::setPos(travail.bottomRight() - QPoint(20, 20));
    for (const char* cle : {"recadrer", "lumiere"}) {
        const struct {
            const char* cle;
        } outil{cle};
        {
            Ouverte o(outil.cle, casse);
            o.fenetre->show();
            const QRect avant = o.fenetre->geometry();
            ASSERT_TRUE(attendre([&] { return !o.vue->erreur().isEmpty(); })) << outil.cle;
            o.poser();
            const std::string cas = std::string(outil.cle) + ", illisible";
            ASSERT_EQ(o.vue->erreur(), QStringLiteral("Impossible de lire la photo"));
            lignesEntieres(o.vue->texteErreur(), cas);
            dessinLisible(o.vue->texteErreur(), cas);
            sansChevauchement(o, cas);
            EXPECT_EQ(o.fenetre->height(), avant.height()) << cas;
            EXPECT_GE(o.fenetre->width(), avant.width()) << cas;
        }
        {
            Ouverte o(outil.cle, photo);
            o.fenetre->show();
            ASSERT_TRUE(attendre([&] { return o.vue->entete().pastille() != QStringLiteral("0 × 0 px"); }));
            if (auto* lumiere = qobject_cast<VueLumiere*>(o.vue)) {
                ASSERT_TRUE(attendre([&] { return !lumiere->apercu().isNull(); }));
            }
            o.echouer();
            o.poser();
            const std::string cas = std::string(outil.cle) + ", disque plein";
            ASSERT_EQ(o.vue->erreur(), sansPlace(QStringLiteral("photo.png")));
            lignesEntieres(o.vue->texteErreur(), cas);
            EXPECT_TRUE(o.vue->texteErreur().lignes().join(' ').contains(QStringLiteral("photo.png")))
                << cas << ": the photo's name is lost";
            dessinLisible(o.vue->texteErreur(), cas);
            sansChevauchement(o, cas);
        }
    }
}

// The mask window's hint and the annotate window's text tool beside a long failure, then
// every window with failures from a word to a paragraph: nothing overlaps, the buttons keep
// their size, the message stays within two lines.
TEST(ErreursLisibles, RienNeSeChevaucheAToutesLesLongueurs)
{
    Dossier d;
    const QString photo = photoDeGrain(d.chemin("une photo de la plage au coucher du soleil prise en famille.png"));
    const QString son = d.ecrire("son.wav", QByteArray(4000, 'x'));
    QCursor::setPos(QGuiApplication::primaryScreen()->availableGeometry().center());
    for (const char* cle : {"masquer", "annoter", "recadrer", "lumiere", "couper"}) {
        Ouverte o(cle, QLatin1String(cle) == QLatin1String("couper") ? son : photo);
        o.fenetre->show();
        if (auto* masquer = qobject_cast<VueMasquer*>(o.vue)) {
            ASSERT_TRUE(attendre([&] { return !masquer->cherche(); }));
        }
        if (auto* annoter = qobject_cast<VueAnnoter*>(o.vue)) {
            ASSERT_TRUE(attendre([&] { return annoter->chargee(); }));
            annoter->boutonsOutils()[2]->click();  // « Texte »: the longer hint
        }
        if (auto* rogner = qobject_cast<VueRogner*>(o.vue)) {
            ASSERT_TRUE(attendre([&] { return rogner->chargee(); }));
        }
        if (QLatin1String(cle) != QLatin1String("couper")) {
            o.echouer();
            o.poser();
            const std::string cas = std::string(cle) + ", disque plein";
            sansChevauchement(o, cas);
            // Too long for two lines at the widest: the name gives up its middle, keeps its end.
            const QStringList l = o.vue->texteErreur().lignes();
            ASSERT_EQ(l.size(), 2) << cas;
            EXPECT_TRUE(l[0].startsWith(QStringLiteral("Pas assez d’espace disque pour"))) << cas;
            EXPECT_TRUE(l[1].endsWith(QStringLiteral("amille.png\u00A0»"))) << cas << ": " << l.join('|').toStdString();
            EXPECT_TRUE(l.join(' ').contains(QChar(0x2026))) << cas;
            dessinLisible(o.vue->texteErreur(), cas);
        }
        QString texte;
        for (const QString& morceau : {QStringLiteral("Non"), QStringLiteral("Impossible de lire « photo.jpg »"),
                                       QStringLiteral(" et la suite d’une phrase bien plus longue que la place donnée"),
                                       QStringLiteral(" puis encore des mots, et des mots, et des mots, sans fin aucune"),
                                       QStringLiteral(" jusqu’à ce qu’aucune fenêtre ne puisse tout montrer sur deux lignes")}) {
            texte += morceau;
            o.vue->texteErreur().setTexte(texte);
            o.vue->texteErreur().show();
            o.poser();
            const std::string cas = std::string(cle) + ", " + std::to_string(texte.size()) + " caractères";
            sansChevauchement(o, cas);
            EXPECT_LE(o.vue->texteErreur().lignes().size(), 2) << cas;
            Boutons& boutons = o.vue->boutons();
            EXPECT_EQ(boutons.size(), boutons.sizeHint()) << cas;
            dessinLisible(o.vue->texteErreur(), cas);
        }
    }
}

// A file whose name holds guillemets of its own, long enough to be shortened: every image
// window's save failed on a full disk keeps the end of the photo's name in view (the disk is
// said of the source), the trim window's read error too; the failure is read aloud whole, as a text. Failed
// again and again, a widened window stays where it is.
TEST(ErreursLisibles, UnNomAvecSesGuillemets)
{
    Dossier d;
    const QString base = QStringLiteral("Vacances d'été « Côte d'Azur » à Nice, une très longue légende pour voir la fin");
    const QString photo = photoDeGrain(d.chemin(base + QStringLiteral(".png")));
    QCursor::setPos(QGuiApplication::primaryScreen()->availableGeometry().center());
    for (const char* cle : {"recadrer", "lumiere", "masquer", "annoter"}) {
        Ouverte o(cle, photo);
        o.fenetre->show();
        ASSERT_TRUE(attendre([&] { return chargee(*o.vue); })) << cle;
        QList<int> places;
        for (int i = 0; i < 3; ++i) {
            o.echouer();
            o.poser();
            places << o.fenetre->x();
        }
        const std::string cas = cle;
        EXPECT_EQ(places, QList<int>(3, places[0])) << cas << ": the window moves at each failure";
        const QString fin = QStringLiteral(" la fin.png\u00A0»");
        const QStringList l = o.vue->texteErreur().lignes();
        ASSERT_EQ(l.size(), 2) << cas;
        EXPECT_TRUE(l[1].endsWith(fin)) << cas << ": " << l.join('|').toStdString();
        dessinLisible(o.vue->texteErreur(), cas);
        sansChevauchement(o, cas);
        QAccessibleInterface* lu = QAccessible::queryAccessibleInterface(&o.vue->texteErreur());
        ASSERT_NE(lu, nullptr);
        EXPECT_EQ(lu->role(), QAccessible::StaticText) << cas;
        EXPECT_EQ(lu->text(QAccessible::Name), o.vue->erreur()) << cas;
    }
    // The trim window: a sound that cannot be read, then one of a short name, which stands on
    // one line in the room beside the buttons.
    const struct {
        QString nom;
        int lignes;
    } sons[] = {{base + QStringLiteral(".mp3"), 2}, {QStringLiteral("faux.mp3"), 1}};
    for (const auto& s : sons) {
        Ouverte o("couper", d.ecrire(s.nom, QByteArray(4000, 'x')));
        o.fenetre->show();
        ASSERT_TRUE(attendre([&] { return !o.vue->erreur().isEmpty(); }, 20000));
        o.poser();
        const QStringList l = o.vue->texteErreur().lignes();
        EXPECT_EQ(l.size(), s.lignes) << l.join('|').toStdString();
        EXPECT_TRUE(l.last().endsWith(QStringLiteral(".mp3\u00A0»"))) << l.join('|').toStdString();
        EXPECT_EQ(mots(l.join(' ')).first(), QStringLiteral("Impossible"));
    }
}

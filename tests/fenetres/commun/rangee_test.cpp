// A tool window's bottom row when something fails: the message in two lines at most beside
// buttons that keep their size, the output named when its folder cannot be written, the library's
// words in the log.
#include "commun/Attendre.h"
#include "commun/Dossier.h"
#include "commun/Ecoute.h"
#include "fenetres/commun/PhotoDeGrain.h"
#include "conversions/media_outils.h"
#include "fenetres/commun/Boutons.h"
#include "fenetres/commun/ChoixPilules.h"
#include "fenetres/commun/FenetreOutil.h"
#include "fenetres/commun/Outils.h"
#include "fenetres/commun/Pilule.h"
#include "fenetres/retouches/Retouches.h"
#include "fenetres/commun/TexteErreur.h"
#include "fenetres/annoter/VueAnnoter.h"
#include "fenetres/masquer/VueMasquer.h"
#include "fenetres/rogner/VueRogner.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLayout>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QString photo(const QString& chemin, int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(qRgb(90, 140, 200));
    image.save(chemin);
    return chemin;
}

} // namespace

TEST(RangeeDuBas, UneErreurLongueNeComprimePasLesBoutons)
{
    Dossier d;
    // A long name gives a failure text far longer than the room left beside the six formats.
    const QString nom = QStringLiteral("vacances au bord de la mer avec toute la famille en août.png");
    const QString source = photo(d.chemin(nom), 400, 300);
    QStringList finis;
    ASSERT_TRUE(Outils::ouvrir(QStringLiteral("recadrer"), source, [&](const QString& f) { finis << f; }));
    FenetreOutil* fenetre = FenetreOutil::ouvertes().last();
    auto* vue = fenetre->findChild<VueRogner*>();
    ASSERT_TRUE(attendre([&] { return vue->chargee(); }));
    fenetre->show();
    Ecoute journal;
    {
        DisquePlein plein(1024);
        vue->boutons().confirmation().click();
        ASSERT_TRUE(attendre([&] { return !vue->occupe(); }));
    }
    const QString attendu = sansPlace(QStringLiteral("vacances au bord de la mer avec toute la famille en août.png"));
    ASSERT_EQ(vue->erreur(), attendu);
    QCoreApplication::processEvents();

    // The buttons and the formats keep the size they ask for; the message takes what is left.
    Boutons& boutons = vue->boutons();
    EXPECT_EQ(boutons.size(), boutons.sizeHint());
    EXPECT_EQ(boutons.annulation().size(), boutons.annulation().sizeHint());
    EXPECT_EQ(boutons.confirmation().size(), boutons.confirmation().sizeHint());
    auto* formats = vue->findChild<ChoixPilules*>();
    ASSERT_NE(formats, nullptr);
    EXPECT_EQ(formats->size(), formats->sizeHint());
    TexteErreur& texte = vue->texteErreur();
    EXPECT_TRUE(texte.isVisible());
    const QRect ici = texte.geometry();
    // In the buttons' row, between the six formats and the buttons: it takes what they leave.
    EXPECT_LE(formats->geometry().right() + 8, ici.left());
    EXPECT_LE(ici.right(), boutons.geometry().left());
    EXPECT_EQ(ici.center().y(), boutons.geometry().center().y());
    EXPECT_LE(boutons.geometry().right(), vue->width() - 16);
    // Nothing is squeezed or pushed out.
    EXPECT_LE(boutons.geometry().bottom(), vue->height() - 16);

    // At most two lines, the second elided, the whole text in the tooltip; each line fits.
    const QStringList lignes = texte.lignes();
    ASSERT_FALSE(lignes.isEmpty());
    EXPECT_LE(lignes.size(), 2);
    EXPECT_EQ(texte.toolTip(), attendu);
    for (const QString& l : lignes)
        EXPECT_LE(QFontMetricsF(texte.font()).horizontalAdvance(l), ici.width() + 0.5) << l.toStdString();

    // Too long for two lines: the second is elided.
    texte.setTexte(attendu + QStringLiteral(" ") + attendu + QStringLiteral(" ") + attendu);
    vue->layout()->activate();
    EXPECT_EQ(texte.lignes().size(), 2);
    EXPECT_TRUE(texte.lignes().last().endsWith(QChar(0x2026))) << texte.lignes().join('|').toStdString();
    // A short text stays whole, on one line.
    texte.setTexte(QStringLiteral("Non"));
    vue->layout()->activate();
    EXPECT_EQ(texte.lignes(), QStringList{"Non"});

    // The failure is also in the log, with the file's name.
    EXPECT_TRUE(attendre([&] {
        for (const QString& l : journal.tous())
            if (l.startsWith("vemo.") && l.contains(QFileInfo(source).fileName()))
                return true;
        return false;
    }, 2000)) << journal.tous().join('\n').toStdString();
    EXPECT_TRUE(finis.isEmpty());
    fenetre->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(RangeeDuBas, DossierSansDroitDEcriture)
{
    // As root every folder can be written but a read-only one of the system's, where a
    // readable file stands in for the sound.
    Dossier d;
    QString dossier = d.chemin("Photos");
    QDir().mkpath(dossier);
    QString son = dossier + QStringLiteral("/son.wav");
    if (::geteuid() == 0) {
        dossier = QStringLiteral("/proc/self");
        son = dossier + QStringLiteral("/status");
    } else {
        QFile f(son);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(QByteArray(4000, 'x')) == 4000);
        f.close();
        QFile::setPermissions(dossier, QFile::ReadOwner | QFile::ExeOwner);
    }
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::red);
    // The message names the file the user would have got, as every conversion's does.
    const auto refuse = [](const std::function<void()>& ecrire, const QString& attendu) {
        try {
            ecrire();
            ADD_FAILURE() << "written into a folder that cannot be written";
        } catch (const std::exception& e) {
            EXPECT_EQ(Conversions::description(e).toStdString(), inecrivable(attendu).toStdString());
        }
    };
    refuse([&] { Retouches::enregistrer(image, dossier + QStringLiteral("/photo.jpg"), QStringLiteral("rognée")); },
           QStringLiteral("photo (rognée).jpg"));
    refuse([&] { Retouches::enregistrer(image, dossier + QStringLiteral("/photo.webp"), QStringLiteral("retouchée")); },
           QStringLiteral("photo (retouchée).webp"));
    const QFileInfo s(son);
    refuse([&] { Retouches::couper(son, 0, 0.1); },
           s.completeBaseName() + QStringLiteral(" (coupé)") + (s.suffix().isEmpty() ? QString() : "." + s.suffix()));
    QFile::setPermissions(d.chemin("Photos"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Beside a hint (annotate, mask), the failure stays in the row: between the hint and the
// buttons, two lines at most, the buttons at their size.
TEST(RangeeDuBas, ErreurEntreLAideEtLesBoutons)
{
    Dossier d;
    const QString source = photoDeGrain(d.chemin("une photo de la plage au coucher du soleil.png"));
    ASSERT_TRUE(Outils::ouvrir(QStringLiteral("annoter"), source, [](const QString&) {}));
    FenetreOutil* fenetre = FenetreOutil::ouvertes().last();
    auto* vue = fenetre->findChild<VueAnnoter*>();
    ASSERT_TRUE(attendre([&] { return vue->chargee(); }));
    fenetre->show();
    {
        DisquePlein plein(1024);
        vue->boutons().confirmation().click();
        ASSERT_TRUE(attendre([&] { return !vue->occupe(); }));
    }
    ASSERT_FALSE(vue->erreur().isEmpty());
    vue->layout()->activate();
    Boutons& boutons = vue->boutons();
    EXPECT_EQ(boutons.size(), boutons.sizeHint());
    const QRect erreur = vue->texteErreur().geometry();
    EXPECT_LE(erreur.right(), boutons.geometry().left());
    EXPECT_EQ(erreur.center().y(), boutons.geometry().center().y()) << "not in the buttons' row";
    EXPECT_LE(vue->texteErreur().lignes().size(), 2);
    EXPECT_GE(erreur.width(), 150);  // readable, not a few letters
    QLabel* aide = nullptr;
    for (QLabel* l : vue->findChildren<QLabel*>())
        if (l->text().startsWith("Glissez"))
            aide = l;
    ASSERT_NE(aide, nullptr);
    EXPECT_LE(aide->geometry().right(), erreur.left());
    EXPECT_GE(aide->width(), 120);
    fenetre->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

namespace {

// The hint of a tool's bottom row, found by its first words.
QLabel* aide(QWidget& vue, const QString& debut)
{
    for (QLabel* l : vue.findChildren<QLabel*>())
        if (l->text().startsWith(debut))
            return l;
    return nullptr;
}

int lignes(const QLabel& l) { return l.heightForWidth(l.width()) / l.fontMetrics().lineSpacing(); }

} // namespace

// The hints take the row's free width first: at the window's width the annotate hints stand
// on one line, the mask's on two at most, and the free space follows them.
TEST(RangeeDuBas, AidesDansLaLargeurLibre)
{
    Dossier d;
    const QString source = photo(d.chemin("photo.png"), 400, 300);
    ASSERT_TRUE(Outils::ouvrir(QStringLiteral("annoter"), source, [](const QString&) {}));
    FenetreOutil* fenetre = FenetreOutil::ouvertes().last();
    auto* annoter = fenetre->findChild<VueAnnoter*>();
    ASSERT_TRUE(attendre([&] { return annoter->chargee(); }));
    fenetre->show();
    annoter->layout()->activate();
    QLabel* trace = aide(*annoter, "Glissez sur la photo pour tracer.");
    ASSERT_NE(trace, nullptr);
    EXPECT_EQ(lignes(*trace), 1) << trace->width();
    EXPECT_GE(trace->width(), trace->fontMetrics().horizontalAdvance(trace->text()));
    annoter->boutonsOutils()[2]->click();  // the text tool
    annoter->layout()->activate();
    QLabel* texte = aide(*annoter, "Cliquez sur la photo pour écrire");
    ASSERT_NE(texte, nullptr);
    EXPECT_EQ(lignes(*texte), 1) << texte->width();
    EXPECT_LT(texte->geometry().right(), annoter->boutons().geometry().left());
    fenetre->close();

    ASSERT_TRUE(Outils::ouvrir(QStringLiteral("masquer"), source, [](const QString&) {}));
    fenetre = FenetreOutil::ouvertes().last();
    fenetre->show();
    auto* masquer = fenetre->findChild<VueMasquer*>();
    QLabel* masque = nullptr;
    ASSERT_TRUE(attendre([&] { return (masque = aide(*masquer, "Tracez une zone")) != nullptr; }, 20000));
    masquer->layout()->activate();
    EXPECT_LE(lignes(*masque), 2) << masque->width();
    fenetre->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The trim window has nothing of its own in the row: its failure opens the row, the
// flexible space stands between it and the buttons.
TEST(RangeeDuBas, ErreurDuCoupeAuDebut)
{
    Dossier d;
    const QString source = d.ecrire("son.wav", QByteArray(4000, 'x'));
    ASSERT_TRUE(Outils::ouvrir(QStringLiteral("couper"), source, [](const QString&) {}));
    FenetreOutil* fenetre = FenetreOutil::ouvertes().last();
    fenetre->show();
    QWidget* vue = fenetre->findChild<VueOutil*>();
    ASSERT_NE(vue, nullptr);
    TexteErreur* texte = vue->findChild<TexteErreur*>();
    ASSERT_TRUE(attendre([&] { return texte->isVisible(); }, 20000));
    vue->layout()->activate();
    const QRect erreur = texte->geometry(), boutons = vue->findChild<Boutons*>()->geometry();
    EXPECT_EQ(erreur.left(), 16);
    EXPECT_GE(boutons.left() - erreur.right(), 8);
    EXPECT_EQ(erreur.center().y(), boutons.center().y()) << "not in the buttons' row";
    EXPECT_EQ(boutons.right(), vue->width() - 16 - 1);
    fenetre->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The crop and light windows show a failure in their bottom row, just before the buttons,
// as the other tools do: the window keeps its height and its top (it may widen to give the
// failure its room), and one opened near the corner of the screen stays whole inside its
// work area.
TEST(RangeeDuBas, ErreurAvantLesBoutonsSansGrandir)
{
    Dossier d;
    const QString casse = d.ecrire("casse.jpg", QByteArray(3000, '\x5a'));
    QScreen* ecran = QGuiApplication::primaryScreen();
    ASSERT_NE(ecran, nullptr);
    const QRect travail = ecran->availableGeometry();
    QCursor::setPos(travail.bottomRight() - QPoint(20, 20));
    ASSERT_EQ(QCursor::pos(), travail.bottomRight() - QPoint(20, 20));
    for (const char* cle : {"recadrer", "lumiere"}) {
        ASSERT_TRUE(Outils::ouvrir(QLatin1String(cle), casse, [](const QString&) {}));
        FenetreOutil* fenetre = FenetreOutil::ouvertes().last();
        fenetre->show();
        const QRect avant = fenetre->geometry();
        ASSERT_TRUE(travail.contains(avant)) << cle;
        auto* vue = fenetre->findChild<VueOutil*>();
        ASSERT_TRUE(attendre([&] { return !vue->erreur().isEmpty(); })) << cle;
        EXPECT_EQ(vue->erreur(), QStringLiteral("Impossible de lire la photo"));
        QCoreApplication::processEvents();
        vue->layout()->activate();

        EXPECT_EQ(fenetre->height(), avant.height()) << cle << ": the window grew taller";
        EXPECT_EQ(fenetre->y(), avant.y()) << cle << ": the window moved up or down";
        EXPECT_GE(fenetre->width(), avant.width()) << cle;
        EXPECT_TRUE(travail.contains(fenetre->geometry())) << cle;
        const QRect erreur = vue->texteErreur().geometry(), boutons = vue->boutons().geometry();
        EXPECT_TRUE(vue->texteErreur().isVisible()) << cle;
        EXPECT_EQ(erreur.center().y(), boutons.center().y()) << cle << ": not in the buttons' row";
        EXPECT_LE(erreur.right(), boutons.left()) << cle;
        EXPECT_GT(erreur.width(), 0) << cle;
        // What the tool has in the row stands before the failure, at its own size.
        for (QWidget* piece : {static_cast<QWidget*>(vue->findChild<ChoixPilules*>()),
                               static_cast<QWidget*>(vue->findChild<Pilule*>(QString(), Qt::FindDirectChildrenOnly))})
            if (piece) {
                EXPECT_LE(piece->geometry().right(), erreur.left()) << cle;
                EXPECT_EQ(piece->size(), piece->sizeHint()) << cle;
            }
        EXPECT_EQ(boutons.size(), vue->boutons().sizeHint()) << cle;
        EXPECT_LE(boutons.bottom(), vue->height() - 16) << cle;
        EXPECT_EQ(vue->texteErreur().toolTip(), vue->erreur());
        fenetre->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

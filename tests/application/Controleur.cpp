#include "Aides.h"
#include "commun/Dossier.h"
#include "designtokens/Tokens.h"
#include "roue/VueRoue.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QSystemTrayIcon>
#include <gtest/gtest.h>

namespace {

Conversions::Petale petale(const QString& id) { return Conversions::Petale{id, id, "photo", std::nullopt}; }

} // namespace

TEST(Controleur, LancementMenuIconeEtJournal)
{
    Tokens::neutres.reset();
    Banc b;
    ASSERT_NE(b.c->element(), nullptr);
    EXPECT_EQ(b.c->etatIcone(), "repos");
    EXPECT_FALSE(b.c->element()->icon().isNull());
    QStringList textes;
    const QList<QAction*> actions = b.c->menu().actions();
    for (QAction* a : actions)
        textes << (a->isSeparator() ? "--" : a->text());
    EXPECT_EQ(textes, (QStringList{"Glissez un fichier en tenant Maj", "--", "Aucun fichier créé pour l’instant", "",
                                   "--", "Rechercher les mises à jour…", "Quitter Vemo Vododod"}));
    EXPECT_FALSE(actions[0]->isEnabled() || actions[2]->isEnabled() || actions[3]->isVisible());
    EXPECT_EQ(actions[6]->shortcut(), QKeySequence("Ctrl+Q"));
    // The update item asks the updater, which says what it can.
    QString dit;
    b.c->informer = [&](const QString& t) { dit = t; };
    actions[5]->trigger();
    EXPECT_TRUE(dit.contains("Aucune source de mises à jour")) << dit.toStdString();
    EXPECT_TRUE(b.log.contient("Vemo Vododod lancé"));
    EXPECT_TRUE(Tokens::neutres.has_value());
    EXPECT_FALSE(b.visible());
    // The log takes the last lines of ffmpeg's output.
    qCWarning(Conversions::journalFFmpeg).noquote() << "a\nb\n\nc\nd\n";
    EXPECT_TRUE(b.log.contient("ffmpeg : b | c | d"));
}

// The self-test takes the whole launch: the first one only, no tray, no wheel, no log.
TEST(Controleur, EssaiPrendToutLeLancement)
{
    Banc b({"--montrer", "--essai=dossier/essai", "--essai=autre"});
    ASSERT_TRUE(attendre([&] { return !b.essais.isEmpty(); }));
    EXPECT_EQ(b.essais, QStringList{"dossier/essai"});
    EXPECT_EQ(b.c->element(), nullptr);
    EXPECT_FALSE(b.visible());
    EXPECT_TRUE(b.log.messages().isEmpty());
}

// Options are taken whole: a key without a path, a path without a key or a longer word do nothing.
TEST(Controleur, OptionsMalFormeesOuvrentRien)
{
    Dossier d;
    const QString png = d.ecrire("photo.png");
    for (const QString& v : {QString("--convertir=jpg"), "--convertir=:" + png, QString("--convertir=jpg:"),
                             QString("--sombrement")}) {
        Banc b({v, "--panneau"});
        EXPECT_FALSE(b.visible()) << v.toStdString();
        EXPECT_FALSE(b.c->vue().sombre()) << v.toStdString();
    }
    EXPECT_TRUE(Banc({"--sombre"}).c->vue().sombre());
    // An unknown petal shows the wheel but converts nothing.
    Banc b({"--convertir=mp3:" + png});
    EXPECT_TRUE(b.visible());
    patienter(800);
    EXPECT_EQ(b.moteur.appels, 0);
}

// "--panneau" opens the arc even without the sibling PDF application, on its second tool.
TEST(Controleur, MontrerSeulRemplitLaRouePourUnPDF)
{
    Banc b({"--montrer", "--panneau"});
    EXPECT_TRUE(b.visible());
    const QList<Conversions::Petale>& p = b.c->etat.petales();
    ASSERT_FALSE(p.isEmpty());
    EXPECT_EQ(p.first().id, "jpg");
    EXPECT_EQ(p.last().id, "modifier");
    EXPECT_EQ(b.c->etat.centre(), "Page 001.pdf");
    EXPECT_EQ(b.c->etat.survol(), b.c->etat.indexModifier());
    ASSERT_TRUE(attendre([&] { return b.c->etat.panneau(); }, 2000));
    EXPECT_EQ(b.c->etat.outil(), 1);
    EXPECT_FALSE(b.c->etat.survol().has_value());
}

// The first conversion option is dropped after the wheel has shown a moment.
TEST(Controleur, ConvertirApresSixDixiemes)
{
    Dossier d;
    const QString png = d.ecrire("photo.png");
    QElapsedTimer t;
    t.start();
    Banc b({"--convertir=jpg:" + png, "--convertir=png:" + png});
    EXPECT_TRUE(b.visible());
    EXPECT_EQ(b.c->etat.centre(), "photo.png");
    ASSERT_TRUE(attendre([&] { return b.moteur.appels > 0; }));
    EXPECT_GE(t.elapsed(), 550);
    EXPECT_EQ(b.moteur.dernierId, "jpg");
    EXPECT_TRUE(b.log.contient("déposé [\"photo.png\"] sur jpg"));
}

TEST(Controleur, OptionsDeFenetreDOutil)
{
    Banc b({"--lumiere=/a/b.png", "--couper=/a/s.wav", "--lumiere=/c.png"});
    EXPECT_EQ(b.outils, (QStringList{"lumiere:/a/b.png", "couper:/a/s.wav"}));
    // What the window saves reaches the menu line.
    EXPECT_TRUE(b.log.contient("créé s.wav.edit.png"));
    EXPECT_EQ(b.c->ligneDerniers()->text(), "Montrer « s.wav.edit.png »");
    EXPECT_EQ(b.c->etatIcone(), "reussite");
}

TEST(Controleur, LaRoueSOuvreSousLePointeurDansLEcran)
{
    Banc b;
    const QRect ecran = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_GE(ecran.width(), 640);
    QCursor::setPos(ecran.right() - 5, ecran.top() + 5);
    if (QCursor::pos() != QPoint(ecran.right() - 5, ecran.top() + 5))
        GTEST_SKIP() << "this platform cannot move the pointer";
    b.c->ouvrir();
    ASSERT_TRUE(b.visible());
    EXPECT_EQ(b.c->panneau().geometry(), QRect(ecran.left() + ecran.width() - 640, ecran.top(), 640, 640));
    EXPECT_TRUE(b.log.contient(
        QString("roue ouverte en %1,%2").arg(ecran.left() + ecran.width() - 320).arg(ecran.top() + 320)));
    ASSERT_EQ(b.c->etat.petales().size(), 1);
    EXPECT_EQ(b.c->etat.petales().first().id, "?");
    ASSERT_TRUE(attendre([&] { return b.c->etat.ouverte(); }));
    // A second opening while it shows changes nothing.
    b.c->etat.setSurvol(0);
    QCursor::setPos(ecran.center());
    b.c->ouvrir();
    EXPECT_EQ(b.c->etat.survol(), 0);
    EXPECT_EQ(b.log.messages().filter("roue ouverte").size(), 1);
}

TEST(Controleur, FermerBientotAttendPuisFondEtUneOuvertureAnnule)
{
    Banc b({}, Banc::ouvert);
    ASSERT_TRUE(attendre([&] { return b.c->etat.ouverte(); }));
    QElapsedTimer t;
    t.start();
    b.c->fermerBientot(0.3);
    ASSERT_TRUE(attendre([&] { return !b.c->etat.ouverte(); }));
    EXPECT_GE(t.elapsed(), 280);
    EXPECT_TRUE(b.visible()) << "the panel stays during the fade";
    ASSERT_TRUE(attendre([&] { return !b.visible(); }));
    // A pending close is cancelled by an opening, and replaced by a later close.
    b.c->ouvrir();
    b.c->fermerBientot(0.2);
    b.c->fermerBientot(1.0);
    patienter(600);
    EXPECT_TRUE(b.c->etat.ouverte());
}

TEST(Controleur, TravailRapideReussi)
{
    Banc b({}, Banc::ouvert);
    b.moteur.libre = false;
    b.c->convertir({"/tmp/a b.png"}, petale("jpg"));
    EXPECT_EQ(b.c->etatIcone(), "anneau");
    ASSERT_TRUE(attendre([&] { return b.c->etat.progression() == 0.5; }));
    EXPECT_DOUBLE_EQ(b.c->fractionIcone(), 0.5);
    // Releasing the button while the job shows does not close the wheel.
    b.c->fermerBientot(0.3);
    b.moteur.libre = true;
    ASSERT_TRUE(attendre([&] { return b.c->etat.fait().has_value(); }));
    EXPECT_EQ(b.c->etat.fait(), true);
    EXPECT_FALSE(b.c->etat.progression().has_value());
    EXPECT_EQ(b.c->etatIcone(), "repos");
    EXPECT_TRUE(b.log.contient("créé a b.png.jpg"));
    EXPECT_EQ(b.c->ligneDerniers()->text(), "Montrer « a b.png.jpg »");
    EXPECT_TRUE(b.c->ligneDerniers()->isEnabled());
    EXPECT_FALSE(b.c->ligneEchec()->isVisible());
    ASSERT_TRUE(attendre([&] { return !b.visible(); }, 3000));
    EXPECT_FALSE(b.log.contient("conversion longue : la roue se range dans la barre des menus"));
}

// A long job leaves the wheel for the tray icon; its outcome shows there, not in the closed wheel.
TEST(Controleur, TravailLongPasseALIconeEtClignote)
{
    Banc b({}, Banc::ouvert);
    b.moteur.libre = false;
    b.c->convertir({"/tmp/v.mov"}, petale("mp4"));
    ASSERT_TRUE(attendre([&] { return !b.c->etat.travail().has_value(); }, 3000));
    EXPECT_TRUE(b.log.contient("conversion longue : la roue se range dans la barre des menus"));
    ASSERT_TRUE(attendre([&] { return !b.visible(); }, 1000));
    EXPECT_EQ(b.c->etatIcone(), "anneau");
    b.moteur.libre = true;
    ASSERT_TRUE(attendre([&] { return b.c->travaux().isEmpty(); }));
    EXPECT_EQ(b.c->etatIcone(), "reussite");
    EXPECT_FALSE(b.c->etat.fait().has_value());
    ASSERT_TRUE(attendre([&] { return b.c->etatIcone() == "repos"; }, 3000));
}

TEST(Controleur, UnEchecEtUnFichierCree)
{
    Banc b({}, Banc::ouvert);
    b.moteur.crees = {"/tmp/x.jpg", "/tmp/y.jpg"};
    b.moteur.erreurs = {"Impossible de lire « z.png ».", "autre"};
    b.c->convertir({"/tmp/x.png"}, petale("jpg"));
    ASSERT_TRUE(attendre([&] { return b.c->etat.fait().has_value(); }));
    EXPECT_EQ(b.c->etat.fait(), false);
    EXPECT_EQ(b.c->etat.message(), "Impossible de lire « z.png ».");
    EXPECT_EQ(b.c->ligneDerniers()->text(), "Montrer les 2 fichiers créés");
    EXPECT_EQ(b.c->derniers(), b.moteur.crees);
    EXPECT_TRUE(b.c->ligneEchec()->isVisible());
    EXPECT_EQ(b.c->ligneEchec()->text(), "Échec : Impossible de lire « z.png ».");
    EXPECT_TRUE(b.log.contient("échec : autre"));
    patienter(1500);  // the failure stays a while in the wheel
    EXPECT_TRUE(b.visible());
    // A new drop while the failure shows: the new job starts clean.
    b.moteur.libre = false;
    b.moteur.crees.clear();
    b.moteur.erreurs.clear();
    b.c->convertir({"/tmp/w.png"}, petale("png"));
    EXPECT_FALSE(b.c->etat.fait().has_value() || b.c->etat.message().has_value());
    b.moteur.libre = true;
    ASSERT_TRUE(attendre([&] { return b.c->travaux().isEmpty(); }));
    EXPECT_FALSE(b.c->ligneEchec()->isVisible()) << "a job without failure hides the old failure";
    EXPECT_EQ(b.c->derniers(), QStringList{"/tmp/w.png.jpg"});
}

// The icon shows the mean of the jobs, the wheel its own; a report after the end is ignored.
TEST(Controleur, DeuxTravauxFontLaMoyenneEtLesRapportsTardifsSontIgnores)
{
    Banc b;
    b.moteur.libre = false;
    b.c->convertir({"/tmp/1.png"}, petale("jpg"));
    const QUuid premier = *b.c->etat.travail();
    b.c->convertir({"/tmp/2.png"}, petale("jpg"));
    const QUuid second = *b.c->etat.travail();
    ASSERT_TRUE(attendre([&] { return b.moteur.appels == 2; }));
    patienter(50);
    b.c->avancer(premier, 0.2);
    b.c->avancer(second, 0.6);
    EXPECT_DOUBLE_EQ(b.c->fractionIcone(), 0.4);
    EXPECT_EQ(b.c->etat.progression(), 0.6);
    b.moteur.libre = true;
    ASSERT_TRUE(attendre([&] { return b.c->travaux().isEmpty(); }));
    b.c->avancer(premier, 0.9);
    EXPECT_TRUE(b.c->travaux().isEmpty());
}

// An engine that throws and the real one on a damaged file: the failure shows, nothing is created.
TEST(Controleur, LesEchecsDuMoteurSAffichentSansRienCreer)
{
    Dossier d;
    const QString faux = d.ecrire("pas une image.png", "ceci n’est pas une image");
    const decltype(Controleur::moteur) moteurs[] = {
        [](const QStringList&, const QString&, const Conversions::Progression&) -> Conversions::Resultat {
            throw Conversions::Erreur::lecture("pas une image.png");
        },
        &Conversions::convertir};
    for (const auto& moteur : moteurs) {
        Banc b;
        b.c->moteur = moteur;
        b.c->convertir({faux}, petale("jpg"));
        ASSERT_TRUE(attendre([&] { return b.c->travaux().isEmpty(); }, 20000));
        EXPECT_TRUE(b.c->ligneEchec()->text().contains("« pas une image.png »")) << b.c->ligneEchec()->text().toStdString();
        EXPECT_TRUE(b.c->ligneEchec()->isVisible());
        EXPECT_EQ(d.noms(), QStringList{"pas une image.png"});
        EXPECT_EQ(b.log.messages().filter("échec : ").size(), 1);
    }
}

// "couper" opens its window after the wheel's moment, and no job.
TEST(Controleur, CouperOuvreLaFenetreSansTravail)
{
    Banc b({}, Banc::ouvert);
    QElapsedTimer t;
    t.start();
    b.c->convertir({"/tmp/s.wav"}, petale("couper"));
    EXPECT_TRUE(b.c->travaux().isEmpty());
    EXPECT_EQ(b.c->etat.fait(), true);
    ASSERT_TRUE(attendre([&] { return !b.outils.isEmpty(); }));
    EXPECT_GE(t.elapsed(), 280);
    EXPECT_EQ(b.outils, QStringList{"couper:/tmp/s.wav"});
    EXPECT_EQ(b.moteur.appels, 0);
}

TEST(Controleur, UneSauvegardeDOutilPendantUnTravailPuisLAnneauRevient)
{
    Banc b;
    b.moteur.libre = false;
    b.c->convertir({"/tmp/1.png"}, petale("jpg"));
    b.c->cree("/tmp/1 (rognée).png");
    EXPECT_EQ(b.c->etatIcone(), "reussite");
    ASSERT_TRUE(attendre([&] { return b.c->etatIcone() == "anneau"; }, 3000));
    b.moteur.libre = true;
    ASSERT_TRUE(attendre([&] { return b.c->travaux().isEmpty(); }));
}

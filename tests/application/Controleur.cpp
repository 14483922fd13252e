#include "Aides.h"
#include "commun/Dossier.h"
#include "commun/Echantillons.h"
#include "conversions/Chemins.h"
#include "designtokens/Tokens.h"
#include "fenetres/commun/modele/EnFond.h"

#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>
#include <QScreen>
#include <QThread>
#include <gtest/gtest.h>
#include <unistd.h>
#include <sys/stat.h>

TEST(Controleur, LancementMenuIconeEtJournal)
{
    Tokens::neutres.reset();
    Banc b;
    ASSERT_TRUE(b.barre->installee);
    EXPECT_EQ(b.barre->icone(), "repos");
    // The update item asks the updater, which says what it can.
    b.barre->actions.chercherMisesAJour();
    ASSERT_EQ(b.barre->messages.size(), 1);
    EXPECT_TRUE(b.barre->messages[0].contains("Aucune source de mises à jour")) << b.barre->messages[0].toStdString();
    EXPECT_TRUE(b.log.contient("Vemo Vododod lancé"));
    EXPECT_TRUE(Tokens::neutres.has_value());
    EXPECT_FALSE(b.visible());
    // The log takes the last lines of ffmpeg's output.
    qCWarning(Conversions::journalFFmpeg).noquote() << "a\nb\n\nc\nd\n";
    EXPECT_TRUE(b.log.contient("ffmpeg : b | c | d"));
}

// The self-test takes the whole launch: the first one only, no tray, no wheel, no watcher, no log.
TEST(Controleur, EssaiPrendToutLeLancement)
{
    Banc b({"--montrer", "--essai=dossier/essai", "--essai=autre"});
    EXPECT_TRUE(b.essais.isEmpty()) << "the self-test starts from the event loop";
    b.horloge->avancer(0);
    EXPECT_EQ(b.essais, QStringList{"dossier/essai"});
    EXPECT_FALSE(b.barre->installee);
    EXPECT_FALSE(b.visible());
    b.ouvrir();
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
        ASSERT_NE(b.vue(), nullptr);
        EXPECT_FALSE(b.vue()->sombre()) << v.toStdString();
    }
    EXPECT_TRUE(Banc({"--sombre"}).vue()->sombre());
    // An unknown petal shows the wheel but converts nothing.
    Banc b({"--convertir=mp3:" + png});
    EXPECT_TRUE(b.visible());
    b.horloge->avancer(0.8);
    patienter(100);
    EXPECT_EQ(b.moteur->appels, 0);
    EXPECT_FALSE(b.horloge->demandes.contains(0.6));
}

// "--panneau" opens the arc even without the sibling PDF application, on its second tool.
TEST(Controleur, MontrerSeulRemplitLaRouePourUnPDF)
{
    Banc b({"--montrer", "--panneau"});
    EXPECT_TRUE(b.visible());
    const QList<Conversions::Petale>& p = b.etat.petales();
    ASSERT_FALSE(p.isEmpty());
    EXPECT_EQ(p.first().id, "jpg");
    EXPECT_EQ(p.last().id, "modifier");
    EXPECT_EQ(b.etat.centre(), "Page 001.pdf");
    EXPECT_EQ(b.etat.survol(), b.etat.indexModifier());
    b.horloge->avancer(0.49);
    EXPECT_FALSE(b.etat.panneau());
    b.horloge->avancer(0.01);
    ASSERT_TRUE(b.etat.panneau());
    EXPECT_EQ(b.etat.outil(), 1);
    EXPECT_FALSE(b.etat.survol().has_value());
}

// "--montrer=" with a PDF opens the wheel without waiting for its page count, as a drag does:
// « Séparer » joins the ring when the count comes back.
TEST(Controleur, MontrerUnPdfNAttendPasSonCompte)
{
    Dossier d;
    const QString pdf = Echantillons::pdf(d.chemin("trois.pdf"), 3);
    const auto ids = [](const Roue::EtatRoue& e) {
        QStringList l;
        for (const Conversions::Petale& p : e.petales())
            l << p.id;
        return l.join(' ').toStdString();
    };
    Banc b({"--montrer=" + pdf});
    EXPECT_TRUE(b.visible());
    EXPECT_EQ(b.etat.centre(), "trois.pdf");
    EXPECT_EQ(ids(b.etat), "jpg png txt docx modifier");
    EXPECT_EQ(b.etat.survol(), 1);
    ASSERT_TRUE(attendre([&] { return b.etat.petales().size() == 6; }, 30000)) << ids(b.etat);
    EXPECT_EQ(ids(b.etat), "jpg png txt docx separer modifier");
    EXPECT_EQ(b.etat.survol(), 1);
}

// The first conversion option is dropped after the wheel has shown a moment.
TEST(Controleur, ConvertirApresSixDixiemes)
{
    Dossier d;
    const QString png = d.ecrire("photo.png");
    Banc b({"--convertir=jpg:" + png, "--convertir=png:" + png});
    EXPECT_TRUE(b.visible());
    EXPECT_EQ(b.etat.centre(), "photo.png");
    b.horloge->avancer(0.59);
    EXPECT_FALSE(b.log.contient("déposé [\"photo.png\"] sur jpg"));
    b.horloge->avancer(0.01);
    ASSERT_TRUE(attendre([&] { return b.moteur->appels > 0; }));
    EXPECT_EQ(b.moteur->dernierId(), "jpg");
    EXPECT_TRUE(b.log.contient("déposé [\"photo.png\"] sur jpg"));
    b.horloge->avancer(1);
    patienter(50);
    EXPECT_EQ(b.moteur->appels, 1);
}

// A relative path of the command line is its bytes, taken in the working folder's bytes: a
// Latin-1 name is that file, never another whose name reads the same once decoded; a
// working folder whose name is not UTF-8 is that folder.
TEST(Controleur, UnCheminRelatifHorsUtf8DesigneSesOctets)
{
    Dossier d;
    const QByteArray racine = QFile::encodeName(d.racine());
    const QByteArray vieux = racine + "/vieux\xe0";
    ASSERT_EQ(::mkdir(vieux.constData(), 0755), 0);
    ASSERT_EQ(::rename(QFile::encodeName(Echantillons::image(d.chemin("a.png"))).constData(),
                       (racine + "/caf\xe9.png").constData()), 0);
    // The decoy: the name that « caf\xe9.png » reads as once its stray byte is replaced.
    Echantillons::image(d.chemin(QString::fromUtf8("caf\xef\xbf\xbd.png")));
    ASSERT_EQ(::rename(QFile::encodeName(Echantillons::image(d.chemin("b.png"))).constData(),
                       (vieux + "/photo.png").constData()), 0);
    const QByteArray avant = QFile::encodeName(QDir::currentPath());

    ASSERT_EQ(::chdir(racine.constData()), 0);
    {
        Banc b({"--convertir=jpg:" + Conversions::cheminDepuisOctets("caf\xe9.png"),
                "--lumiere=" + Conversions::cheminDepuisOctets("./caf\xe9.png")});
        EXPECT_EQ(b.etat.centre(), QString::fromUtf8("café.png"));
        EXPECT_EQ(b.outils, QStringList{"lumiere:" + Conversions::cheminDepuisOctets(racine + "/caf\xe9.png")});
        b.horloge->avancer(0.6);
        ASSERT_TRUE(attendre([&] { return b.moteur->appels > 0; }));
        EXPECT_EQ(b.moteur->derniersChemins(), QStringList{Conversions::cheminDepuisOctets(racine + "/caf\xe9.png")});
    }
    ASSERT_EQ(::chdir(vieux.constData()), 0);
    {
        Banc b({"--convertir=jpg:photo.png"});
        b.horloge->avancer(0.6);
        ASSERT_TRUE(attendre([&] { return b.moteur->appels > 0; }));
        EXPECT_EQ(b.moteur->derniersChemins(), QStringList{Conversions::cheminDepuisOctets(vieux + "/photo.png")});
    }
    ASSERT_EQ(::chdir(avant.constData()), 0);
    ::unlink((vieux + "/photo.png").constData());
    ::rmdir(vieux.constData());
    ::unlink((racine + "/caf\xe9.png").constData());
}

TEST(Controleur, OptionsDeFenetreDOutil)
{
    Banc b({"--lumiere=/a/b.png", "--couper=/a/s.wav", "--lumiere=/c.png"});
    EXPECT_EQ(b.outils, (QStringList{"lumiere:/a/b.png", "couper:/a/s.wav"}));
    // What the window saves reaches the menu line.
    EXPECT_TRUE(b.log.contient("créé s.wav.edit.png"));
    EXPECT_EQ(b.barre->derniers, "Montrer « s.wav.edit.png »");
    EXPECT_EQ(b.barre->fichiers, QStringList{"/a/s.wav.edit.png"});
    EXPECT_EQ(b.barre->icone(), "reussite");
}

// A build without the window only logs the request.
TEST(Controleur, FenetreIndisponibleJournalisee)
{
    Banc b({}, Banc::ouvert);
    b.fenetres = false;
    b.deposer({"/tmp/s.wav"}, petale("couper"));
    b.horloge->avancer(0.3);
    EXPECT_EQ(b.outils, QStringList{"couper:/tmp/s.wav"});
    EXPECT_TRUE(b.log.contient("fenêtre d’outil indisponible : couper"));
    EXPECT_EQ(b.barre->derniers, "Aucun fichier créé pour l’instant");
}

TEST(Controleur, LaRoueSOuvreSousLePointeurDansLEcran)
{
    Banc b;
    const QRect ecran = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_GE(ecran.width(), 640);
    QCursor::setPos(ecran.right() - 5, ecran.top() + 5);
    if (QCursor::pos() != QPoint(ecran.right() - 5, ecran.top() + 5))
        GTEST_SKIP() << "this platform cannot move the pointer";
    b.ouvrir();
    ASSERT_TRUE(b.visible());
    EXPECT_EQ(b.panneau()->geometry(), QRect(ecran.left() + ecran.width() - 640, ecran.top(), 640, 640));
    EXPECT_TRUE(b.log.contient(
        QString("roue ouverte en %1,%2").arg(ecran.left() + ecran.width() - 320).arg(ecran.top() + 320)));
    ASSERT_EQ(b.etat.petales().size(), 1);
    EXPECT_EQ(b.etat.petales().first().id, "?");
    EXPECT_FALSE(b.etat.ouverte()) << "the wheel opens at the next turn of the event loop";
    b.horloge->avancer(0);
    ASSERT_TRUE(b.etat.ouverte());
    // A second opening while it shows changes nothing.
    b.etat.setSurvol(0);
    QCursor::setPos(ecran.center());
    b.ouvrir();
    EXPECT_EQ(b.etat.survol(), 0);
    EXPECT_EQ(b.log.messages().filter("roue ouverte").size(), 1);
}

TEST(Controleur, FermerBientotAttendPuisFondEtUneOuvertureAnnule)
{
    Banc b({}, Banc::ouvert);
    b.horloge->avancer(0);
    ASSERT_TRUE(b.etat.ouverte());
    b.relacher();
    b.horloge->avancer(0.29);
    EXPECT_TRUE(b.etat.ouverte());
    b.horloge->avancer(0.01);
    ASSERT_FALSE(b.etat.ouverte());
    EXPECT_TRUE(b.visible()) << "the panel stays during the fade";
    b.horloge->avancer(0.25);
    ASSERT_FALSE(b.visible());
    // A pending close is cancelled by a job dropped before it falls due.
    b.moteur->libre = false;
    b.ouvrir();
    b.horloge->avancer(0);
    b.relacher();
    b.deposer({"/tmp/a.png"}, petale("jpg"));
    b.horloge->avancer(0.6);
    EXPECT_TRUE(b.etat.ouverte());
    EXPECT_TRUE(b.visible());
}

TEST(Controleur, TravailRapideReussi)
{
    Banc b({}, Banc::ouvert);
    b.horloge->avancer(0);
    b.moteur->libre = false;
    b.deposer({"/tmp/a b.png"}, petale("jpg"));
    EXPECT_EQ(b.barre->icone(), "anneau");
    ASSERT_TRUE(attendre([&] { return b.etat.progression() == 0.5; }));
    EXPECT_DOUBLE_EQ(b.barre->fraction(), 0.5);
    // Releasing the button while the job shows does not close the wheel.
    b.relacher();
    b.moteur->libre = true;
    ASSERT_TRUE(attendre([&] { return b.etat.fait().has_value(); }));
    EXPECT_EQ(b.etat.fait(), true);
    EXPECT_FALSE(b.etat.progression().has_value());
    EXPECT_EQ(b.barre->icone(), "repos");
    EXPECT_FALSE(b.barre->icones.contains("reussite")) << "an outcome shown in the wheel does not flash";
    EXPECT_TRUE(b.log.contient("créé a b.png.jpg"));
    EXPECT_EQ(b.barre->derniers, "Montrer « a b.png.jpg »");
    EXPECT_EQ(b.barre->fichiers, QStringList{"/tmp/a b.png.jpg"});
    EXPECT_TRUE(b.barre->echec.isEmpty());
    // The success face shows 0.7 s, then the wheel fades out.
    b.horloge->avancer(0.69);
    EXPECT_TRUE(b.etat.ouverte());
    b.horloge->avancer(0.01);
    EXPECT_FALSE(b.etat.ouverte());
    b.horloge->avancer(0.25);
    ASSERT_FALSE(b.visible());
    b.horloge->avancer(1);
    EXPECT_FALSE(b.log.contient("conversion longue : la roue se range dans la barre des menus"));
}

// A user's drop end to end: a Shift-drag opens the wheel, the file enters the drop target and
// is dropped on the first petal; the engine gets the file and that petal, and the release that
// comes with the drop leaves the job in the wheel.
TEST(Controleur, UnDepotSurLaRoueVaAuMoteur)
{
    Dossier d;
    const QString png = d.ecrire("photo.png");
    Banc b({}, Banc::ouvert);
    b.horloge->avancer(0);
    ASSERT_TRUE(b.visible());
    b.moteur->libre = false;
    QMimeData donnees;
    donnees.setUrls({QUrl::fromLocalFile(png)});
    const QPoint premier(320, 170);  // straight above the centre
    const Qt::DropActions offertes = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent entree(premier, offertes, &donnees, Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(b.zone(), &entree);
    EXPECT_EQ(b.etat.centre(), "photo.png");
    ASSERT_FALSE(b.etat.petales().isEmpty());
    EXPECT_EQ(b.etat.petales().first().id, "jpg");
    QDragMoveEvent mouvement(premier, offertes, &donnees, Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(b.zone(), &mouvement);
    EXPECT_TRUE(mouvement.isAccepted());
    QDropEvent depot(premier, offertes, &donnees, Qt::NoButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(b.zone(), &depot);
    b.relacher();
    ASSERT_TRUE(attendre([&] { return b.moteur->appels == 1; }));
    EXPECT_EQ(b.moteur->dernierId(), "jpg");
    EXPECT_EQ(b.moteur->derniersChemins(), QStringList{png});
    EXPECT_TRUE(b.log.contient("déposé [\"photo.png\"] sur jpg"));
    b.horloge->avancer(0.3);
    EXPECT_TRUE(b.etat.ouverte());
    b.moteur->libre = true;
    ASSERT_TRUE(attendre([&] { return b.etat.fait().has_value(); }));
    EXPECT_EQ(b.etat.fait(), true);
    EXPECT_EQ(b.barre->fichiers, QStringList{png + ".jpg"});
}

// A long job leaves the wheel for the tray icon; its outcome shows there, not in the closed wheel.
TEST(Controleur, TravailLongPasseALIconeEtClignote)
{
    Banc b({}, Banc::ouvert);
    b.moteur->libre = false;
    b.deposer({"/tmp/v.mov"}, petale("mp4"));
    b.horloge->avancer(1.19);
    EXPECT_TRUE(b.etat.travail().has_value());
    b.horloge->avancer(0.01);
    ASSERT_FALSE(b.etat.travail().has_value());
    EXPECT_TRUE(b.log.contient("conversion longue : la roue se range dans la barre des menus"));
    b.horloge->avancer(0.25);
    ASSERT_FALSE(b.visible());
    EXPECT_EQ(b.barre->icone(), "anneau");
    b.moteur->libre = true;
    ASSERT_TRUE(attendre([&] { return b.barre->icone() == "reussite"; }));
    EXPECT_TRUE(b.log.contient("créé v.mov.jpg"));
    EXPECT_FALSE(b.etat.fait().has_value());
    b.horloge->avancer(1.99);
    EXPECT_EQ(b.barre->icone(), "reussite");
    b.horloge->avancer(0.01);
    EXPECT_EQ(b.barre->icone(), "repos");
}

TEST(Controleur, UnEchecEtUnFichierCree)
{
    Banc b({}, Banc::ouvert);
    b.horloge->avancer(0);
    b.moteur->crees = {"/tmp/x.jpg", "/tmp/y.jpg"};
    b.moteur->erreurs = {"Impossible de lire « z.png ».", "autre"};
    b.deposer({"/tmp/x.png"}, petale("jpg"));
    ASSERT_TRUE(attendre([&] { return b.etat.fait().has_value(); }));
    EXPECT_EQ(b.etat.fait(), false);
    EXPECT_EQ(b.etat.message(), "Impossible de lire « z.png ».");
    EXPECT_EQ(b.barre->derniers, "Montrer les 2 fichiers créés");
    EXPECT_EQ(b.barre->fichiers, b.moteur->crees);
    EXPECT_EQ(b.barre->echec, "Échec : Impossible de lire « z.png ».");
    EXPECT_TRUE(b.log.contient("échec : autre"));
    b.horloge->avancer(1.5);  // the failure stays a while in the wheel
    EXPECT_TRUE(b.visible());
    EXPECT_TRUE(b.etat.ouverte());
    // A new drop while the failure shows: the new job starts clean.
    b.moteur->libre = false;
    b.moteur->crees.clear();
    b.moteur->erreurs.clear();
    b.deposer({"/tmp/w.png"}, petale("png"));
    EXPECT_FALSE(b.etat.fait().has_value() || b.etat.message().has_value());
    b.horloge->avancer(1);
    EXPECT_TRUE(b.etat.ouverte()) << "the job cancelled the failure's close";
    b.moteur->libre = true;
    ASSERT_TRUE(attendre([&] { return b.log.contient("créé w.png.jpg"); }));
    EXPECT_TRUE(b.barre->echec.isEmpty()) << "a job without failure hides the old failure";
    EXPECT_EQ(b.barre->fichiers, QStringList{"/tmp/w.png.jpg"});
}

// The failure stays 2.4 s in the wheel before it closes.
TEST(Controleur, UnEchecResteDeuxSecondesEtDemie)
{
    Banc b({}, Banc::ouvert);
    b.horloge->avancer(0);
    b.moteur->erreurs = {"Impossible de lire « z.png »."};
    b.deposer({"/tmp/z.png"}, petale("jpg"));
    ASSERT_TRUE(attendre([&] { return b.etat.fait().has_value(); }));
    b.horloge->avancer(2.39);
    EXPECT_TRUE(b.etat.ouverte());
    b.horloge->avancer(0.01);
    EXPECT_FALSE(b.etat.ouverte());
    EXPECT_FALSE(b.barre->icones.contains("echec")) << "an outcome shown in the wheel does not flash";
}

// The icon shows the mean of the jobs, the wheel its own; a report after the end is ignored.
TEST(Controleur, DeuxTravauxFontLaMoyenneEtLesRapportsTardifsSontIgnores)
{
    Banc b;
    b.moteur->libre = false;
    b.deposer({"/tmp/1.png"}, petale("jpg"));
    b.deposer({"/tmp/2.png"}, petale("jpg"));
    ASSERT_TRUE(attendre([&] { return b.moteur->appels == 2 && b.barre->fraction() == 0.5; }));
    b.moteur->rapporter("/tmp/1.png", 0.2);
    b.moteur->rapporter("/tmp/2.png", 0.6);
    ASSERT_TRUE(attendre([&] { return b.etat.progression() == 0.6 && b.barre->icones.last() == "anneau 0.40"; }));
    EXPECT_DOUBLE_EQ(b.barre->fraction(), 0.4);
    EXPECT_EQ(b.etat.progression(), 0.6);
    b.moteur->libre = true;
    ASSERT_TRUE(attendre([&] { return b.log.contient("créé 1.png.jpg") && b.log.contient("créé 2.png.jpg"); }));
    b.horloge->avancer(2);  // the older job's flash ends
    EXPECT_EQ(b.barre->icone(), "repos");
    b.moteur->rapporter("/tmp/1.png", 0.9);
    patienter(100);
    EXPECT_EQ(b.barre->icone(), "repos");
    EXPECT_FALSE(b.etat.progression().has_value());
}

// An engine that throws and the real one on a damaged file: the failure shows, nothing is created.
TEST(Controleur, LesEchecsDuMoteurSAffichentSansRienCreer)
{
    Dossier d;
    const QString faux = d.ecrire("pas une image.png", "ceci n’est pas une image");
    for (const bool reel : {false, true}) {
        Banc b({}, Banc::lance, reel ? std::make_shared<Application::MoteurConversions>() : nullptr);
        if (!reel)
            b.moteur->echouer = [] { throw Conversions::Erreur::lecture("pas une image.png"); };
        b.deposer({faux}, petale("jpg"));
        ASSERT_TRUE(attendre([&] { return !b.barre->echec.isEmpty(); }, 20000));
        EXPECT_TRUE(b.barre->echec.contains("« pas une image.png »")) << b.barre->echec.toStdString();
        EXPECT_EQ(d.noms(), QStringList{"pas une image.png"});
        EXPECT_EQ(b.log.messages().filter("échec : ").size(), 1);
        EXPECT_EQ(b.barre->derniers, "Aucun fichier créé pour l’instant");
    }
}

// "couper" opens its window after the wheel's moment, and no job.
TEST(Controleur, CouperOuvreLaFenetreSansTravail)
{
    Banc b({}, Banc::ouvert);
    b.horloge->avancer(0);
    b.deposer({"/tmp/s.wav"}, petale("couper"));
    EXPECT_FALSE(b.barre->icone().startsWith("anneau"));
    EXPECT_EQ(b.etat.fait(), true);
    b.horloge->avancer(0.25);
    EXPECT_FALSE(b.etat.ouverte()) << "the wheel closes 0.25 s after the drop";
    b.horloge->avancer(0.04);
    EXPECT_TRUE(b.outils.isEmpty());
    b.horloge->avancer(0.01);
    EXPECT_EQ(b.outils, QStringList{"couper:/tmp/s.wav"});
    patienter(50);
    EXPECT_EQ(b.moteur->appels, 0);
}

TEST(Controleur, UneSauvegardeDOutilPendantUnTravailPuisLAnneauRevient)
{
    Banc b({"--rogner=/tmp/1.png"});
    b.horloge->avancer(2);
    ASSERT_EQ(b.finis.size(), 1);
    ASSERT_EQ(b.barre->icone(), "repos");
    b.moteur->libre = false;
    b.deposer({"/tmp/1.png"}, petale("jpg"));
    EXPECT_EQ(b.barre->icone(), "anneau");
    b.finis[0]("/tmp/1 (rognée).png");
    EXPECT_EQ(b.barre->icone(), "reussite");
    EXPECT_TRUE(b.log.contient("créé 1 (rognée).png"));
    EXPECT_EQ(b.barre->derniers, "Montrer « 1 (rognée).png »");
    b.horloge->avancer(1.99);
    EXPECT_EQ(b.barre->icone(), "reussite");
    b.horloge->avancer(0.01);
    EXPECT_EQ(b.barre->icone(), "anneau");
    b.moteur->libre = true;
    ASSERT_TRUE(attendre([&] { return b.log.contient("créé 1.png.jpg"); }));
}

// Quitting from the menu during a job: the job is logged and cancelled, the engine cleans up,
// the run ends; what the job reports afterwards is dropped, and so is a new drop.
TEST(Controleur, QuitterAnnuleLesTravaux)
{
    Banc b;
    b.moteur->libre = false;
    b.deposer({"/tmp/v.mov"}, petale("mp4"));
    ASSERT_TRUE(attendre([&] { return b.moteur->appels == 1; }));
    b.barre->actions.quitter();
    EXPECT_TRUE(b.moteur->annule);
    EXPECT_EQ(b.moteur->nettoyages, 1);
    EXPECT_EQ(b.sortie, true);
    EXPECT_TRUE(b.log.contient("conversion annulée : [\"v.mov\"] sur mp4"));
    EXPECT_FALSE(b.log.contient("fermeture sans attendre un travail bloqué dans une bibliothèque"));
    b.deposer({"/tmp/w.png"}, petale("jpg"));
    b.barre->actions.quitter();
    EXPECT_EQ(b.moteur->nettoyages, 1) << "a second quit does nothing";
    patienter(100);
    EXPECT_FALSE(b.log.contient("déposé [\"w.png\"] sur jpg"));
    EXPECT_TRUE(b.log.messages().filter("créé ").isEmpty());
}

// A job stuck in a library is not waited for: the run ends anyway, after the clean-up.
TEST(Controleur, QuitterSansAttendreUnTravailBloque)
{
    Banc b;
    b.moteur->bloque = true;
    b.deposer({"/tmp/v.mov"}, petale("mp4"));
    ASSERT_TRUE(attendre([&] { return b.moteur->appels == 1; }));
    b.barre->actions.quitter();
    EXPECT_EQ(b.sortie, false);
    EXPECT_EQ(b.moteur->nettoyages, 1);
    EXPECT_TRUE(b.log.contient("fermeture sans attendre un travail bloqué dans une bibliothèque"));
}

// Quitting names what a job of three files made before the stop, also when the job is stuck
// in a library or ended before its outcome reached the controller; only the files it never
// finished are cancelled.
TEST(Controleur, QuitterNommeCeQueLesTravauxOntFait)
{
    const QString annulee = QStringLiteral("conversion annulée : [\"2.pdf\", \"3.pdf\"] sur jpg");
    const struct {
        const char* cas;
        bool bloque;
        bool fini;
        QStringList crees;
        QStringList annulees;
    } cas[] = {
        {"arrêté", false, false, {"/tmp/1.jpg"}, {annulee}},
        {"bloqué", true, false, {"/tmp/1.jpg"}, {annulee}},
        {"fini", false, true, {"/tmp/1.jpg", "/tmp/2.jpg", "/tmp/3.jpg"}, {}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.cas);
        Banc b;
        b.moteur->avantAttente.crees = QStringList{"/tmp/1.jpg"};
        b.moteur->traitesAvantAttente = 1;
        b.moteur->crees = QStringList{"/tmp/2.jpg", "/tmp/3.jpg"};
        b.moteur->libre = c.fini;
        b.moteur->bloque = c.bloque;
        b.deposer({"/tmp/1.pdf", "/tmp/2.pdf", "/tmp/3.pdf"}, petale("jpg"));
        // Waited for outside the event loop: an ended job's outcome is still on its way.
        while (c.fini ? b.moteur->rendus < 1 : b.moteur->appels < 1)
            QThread::msleep(2);
        b.barre->actions.quitter();
        EXPECT_EQ(b.sortie, !c.bloque);
        QStringList crees;
        for (const QString& f : c.crees)
            crees << "créé " + QFileInfo(f).fileName();
        EXPECT_EQ(b.log.messages().filter(QRegularExpression("^créé ")), crees);
        EXPECT_EQ(b.log.messages().filter("conversion annulée"), c.annulees);
        EXPECT_EQ(b.barre->fichiers, c.crees);
    }
}

// As many long jobs as cores: a tool window's work still runs at once, on threads that
// conversions never take.
TEST(Controleur, LesFenetresNAttendentPasLesConversions)
{
    Banc b;
    b.moteur->libre = false;
    const int n = QThread::idealThreadCount();
    for (int i = 0; i < n; ++i)
        b.deposer({QStringLiteral("/tmp/v%1.mov").arg(i)}, petale("mp4"));
    ASSERT_TRUE(attendre([&] { return b.moteur->appels == n; }));
    QObject garde;
    bool charge = false;
    enFond<bool>(&garde, [] { return true; }, [&](bool) { charge = true; });
    EXPECT_TRUE(attendre([&] { return charge; }, 5000));
    b.moteur->libre = true;
    EXPECT_TRUE(attendre([&] { return b.log.messages().filter("créé ").size() == n; }));
}

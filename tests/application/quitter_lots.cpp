// Quitting from the menu during lots, with the real engine on PDFs and videos made here: what
// a lot made before the quit is named « créé » and stays whole; only what it never finished is
// named cancelled, and leaves nothing. Each quit runs in a process of its own (a stop of the
// engine lasts for the rest of the run), which ends once its folders are removed.
#include "Aides.h"
#include "application/Lignes.h"
#include "commun/Dossier.h"
#include "commun/Echantillons.h"
#include "commun/Exiger.h"

#include <QDir>
#include <QRegularExpression>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

// A source of a lot: a PDF of `n` pages, a video of `n` seconds, or an old Word file that the
// reader below holds for ever.
struct Source {
    QString nom;
    int n = 0;
};

struct Lot {
    QString dossier;
    QString petale;
    QList<Source> sources;
    QStringList faits;     // what is made before the quit
    QStringList annules;   // what the quit stops or never reaches
};

QString fabriquer(const Dossier& d, const QString& dossier, const Source& s)
{
    const QString nom = dossier + QLatin1Char('/') + s.nom;
    if (s.nom.endsWith(QLatin1String(".doc")))
        return d.ecrire(nom, QByteArray("\xD0\xCF\x11\xE0", 4) + QByteArray(600, '\0'));
    d.creerDossier(dossier);
    return s.nom.endsWith(QLatin1String(".pdf")) ? Echantillons::pdf(d.chemin(nom), s.n)
                                                 : Echantillons::video(d.chemin(nom), s.n);
}

void deposer(Banc& b, const Dossier& d, const Lot& lot)
{
    QStringList chemins;
    for (const Source& s : lot.sources)
        chemins << fabriquer(d, lot.dossier, s);
    b.deposer(chemins, petale(lot.petale));
}

// The Word reader becomes one that writes its pid in `pids`, under the name of the file it
// reads, then waits for ever: the conversion of a lot stands there when the quit comes.
QString retenirLesFichiersWord(const Dossier& d)
{
    const QString pids = d.creerDossier("pids");
    const QString script = d.ecrire("bin/antiword", "#!/bin/sh\nfor f; do :; done\necho $$ > '" + pids.toUtf8()
                                                         + "'/\"$(basename \"$f\")\"\nexec sleep 600\n");
    QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
    qputenv("PATH", QFile::encodeName(d.chemin("bin")) + ':' + qgetenv("PATH"));
    return pids;
}

// Decoded whole by ffmpeg, without a word of error.
bool entier(const QString& chemin)
{
    QString sortie;
    return executer(Echantillons::ffmpeg(), {"-v", "error", "-i", chemin, "-f", "null", "-"}, &sortie) == 0
        && sortie.trimmed().isEmpty();
}

// After the quit: each lot's outputs named once, whole, and alone beside the sources; its
// cancelled sources named in one line; no raw line break of a library in the log.
void verifier(const Banc& b, const Dossier& d, const QList<Lot>& lots)
{
    const QStringList messages = b.log.messages();
    int crees = 0;
    for (const Lot& lot : lots) {
        QStringList attendus = lot.faits;
        for (const Source& s : lot.sources)
            attendus << s.nom;
        attendus.sort();
        exiger(QDir(d.chemin(lot.dossier)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) == attendus,
               "le dossier ne tient pas les sources et ce qui a été fait, seuls");
        for (const QString& fait : lot.faits) {
            exiger(messages.count(QStringLiteral("créé ") + fait) == 1, "un fichier fait n’est pas dit créé une fois");
            exiger(entier(d.chemin(lot.dossier + QLatin1Char('/') + fait)), "un fichier fait n’est pas entier");
        }
        crees += int(lot.faits.size());
        exiger(messages.contains(QStringLiteral("conversion annulée : ") + Application::Lignes::liste(lot.annules)
                                 + QStringLiteral(" sur ") + lot.petale),
               "la ligne d’annulation ne nomme pas ce qui n’a pas été fait");
    }
    exiger(messages.filter(QRegularExpression("^créé ")).size() == crees, "un fichier est dit créé en trop");
    exiger(messages.filter("\\n").isEmpty(), "une ligne du journal garde des retours à la ligne bruts");
    // The menu's line shows one lot's files, whichever the quit named last.
    exiger(std::any_of(lots.begin(), lots.end(), [&](const Lot& lot) {
               QStringList chemins;
               for (const QString& fait : lot.faits)
                   chemins << d.chemin(lot.dossier + QLatin1Char('/') + fait);
               return b.barre->fichiers == chemins;
           }),
           "le menu ne montre pas les derniers fichiers créés");
}

// Two lots at once, each held on its fourth file: the three before are made (every page of
// each PDF), the held one and the one after are not.
void deuxLotsPuisQuitter()
{
    Dossier d;
    const QString pids = retenirLesFichiersWord(d);
    const QList<Lot> lots{
        {"pdf", "jpg", {{"Q01.pdf", 3}, {"Q02.pdf", 1}, {"Q03.pdf", 2}, {"Q04.doc"}, {"Q05.pdf", 2}},
         {"Q01 page 1.jpg", "Q01 page 2.jpg", "Q01 page 3.jpg", "Q02.jpg", "Q03 page 1.jpg", "Q03 page 2.jpg"},
         {"Q04.doc", "Q05.pdf"}},
        {"videos", "gif", {{"v1.mp4", 2}, {"v2.mp4", 1}, {"v3.doc"}, {"v4.mp4", 1}}, {"v1.gif", "v2.gif"},
         {"v3.doc", "v4.mp4"}},
    };
    Banc b({}, Banc::lance, std::make_shared<Application::MoteurConversions>());
    for (const Lot& lot : lots)
        deposer(b, d, lot);
    exiger(attendre([&] { return QDir(pids).entryList(QDir::Files).size() == 2; }, 120000),
           "les lots n’atteignent pas leur fichier retenu");
    b.barre->actions.quitter();
    verifier(b, d, lots);
}

// Three videos to GIF, quit while the second one's GIF is being written: the first is named,
// the others are cancelled in one readable line.
void troisGifPuisQuitter()
{
    Dossier d;
    const Lot lot{"videos", "gif", {{"v1.mp4", 1}, {"v2.mp4", 30}, {"v3.mp4", 1}}, {"v1.gif"}, {"v2.mp4", "v3.mp4"}};
    Banc b({}, Banc::lance, std::make_shared<Application::MoteurConversions>());
    deposer(b, d, lot);
    const auto ecrit = [&] {
        const QDir dossier(d.chemin("videos"));
        return dossier.exists("v1.gif") && !dossier.entryList({".vemo-vododod-*"}, QDir::Files | QDir::Hidden).isEmpty();
    };
    exiger(attendre(ecrit, 120000), "le deuxième GIF ne commence pas");
    b.barre->actions.quitter();
    verifier(b, d, {lot});
}

} // namespace

TEST(QuitterPendantUnLot, CeQuiEtaitFaitEstNommeEtSeulLeResteAnnule)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT((deuxLotsPuisQuitter(), std::_Exit(0)), testing::ExitedWithCode(0), "");
}

TEST(QuitterPendantUnLot, UnGifAnnuleDitUneLigneLisible)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT((troisGifPuisQuitter(), std::_Exit(0)), testing::ExitedWithCode(0), "");
}

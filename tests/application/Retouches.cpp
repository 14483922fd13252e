#include "Aides.h"
#include "commun/Dossier.h"
#include "roue/retouche_bureau.h"

#include <QFile>
#include <QUrl>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace {

// The sibling PDF application installed in a desktop of its own: a script that writes down
// each argument it is launched with.
struct Soeur : BureauTemporaire {
    QString appels = dossier.chemin(QStringLiteral("appels.txt"));
    QString script = dossier.ecrire(QStringLiteral("soeur.sh"),
                                    "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '" + appels.toUtf8() + "'; done\n");
    Soeur()
    {
        QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
        installer(QStringLiteral("com.ormelin.folio"), QStringLiteral("home"), script + QStringLiteral(" %u"));
    }
    QStringList lignes() const
    {
        QFile f(appels);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                                           : QStringList();
    }
};

} // namespace

TEST(Retouches, UnOutilInterneOuvreSaFenetreApresTroisDixiemes)
{
    Dossier d;
    const QString png = d.ecrire(QStringLiteral("photo.png"), "x");
    Banc b({}, Banc::ouvert);
    b.horloge->avancer(0);
    const Roue::Retouche offre = Roue::Retouche::offreImage();
    const Roue::Retouche::Outil outil = offre.outils.first();
    b.retoucher(png, offre, outil);
    EXPECT_TRUE(b.log.contient("déposé photo.png sur Modifier → " + outil.titre + " : fenêtre de Vododod"));
    EXPECT_EQ(b.etat.fait(), true);
    b.horloge->avancer(0.29);
    EXPECT_TRUE(b.outils.isEmpty());
    EXPECT_FALSE(b.etat.ouverte()) << "the wheel closes 0.25 s after the drop";
    b.horloge->avancer(0.01);
    EXPECT_EQ(b.outils, QStringList{outil.cle + ":" + png});
    b.horloge->avancer(0.2);
    ASSERT_FALSE(b.visible());
}

TEST(Retouches, UnOutilDeLaSoeurOuvreLeFichierPuisEnvoieLeLien)
{
    Soeur s;
    const QString pdf = s.dossier.ecrire(QStringLiteral("contrat 100%.pdf"), "%PDF-1.4");
    Banc b({QStringLiteral("--retoucher=signer:") + pdf});
    ASSERT_TRUE(attendre([&] { return s.lignes().size() >= 2; }, 10000)) << s.lignes().join(' ').toStdString();
    // Two launches of the script: the second may write its line before the first does.
    QStringList l = s.lignes();
    if (l[0].startsWith("vemo-folio:"))
        l.swapItemsAt(0, 1);
    EXPECT_TRUE(l[0] == pdf || QUrl(l[0]).toLocalFile() == pdf) << l[0].toStdString();
    // The link's own encoding is read back in the wheel's tests.
    EXPECT_EQ(QUrlQuery(QUrl(l[1])).queryItemValue("fichier", QUrl::FullyDecoded), pdf) << l[1].toStdString();
    EXPECT_TRUE(l[1].startsWith("vemo-folio://outil?nom=signer&")) << l[1].toStdString();
    const QStringList lignes = b.log.messages().filter("déposé contrat 100%.pdf sur Modifier → ");
    ASSERT_EQ(lignes.size(), 1);
    EXPECT_TRUE(lignes[0].endsWith(" : ouvert dans Vemo Folio"));
    EXPECT_FALSE(b.visible()) << "the option does not open the wheel";
}

TEST(Retouches, UneCleInconnueOuvreSeulementLeFichier)
{
    Soeur s;
    const QString pdf = s.dossier.ecrire(QStringLiteral("a.pdf"), "%PDF-1.4");
    Banc b({QStringLiteral("--retoucher=inconnu:") + pdf});
    ASSERT_TRUE(attendre([&] { return !s.lignes().isEmpty(); }, 10000));
    patienter(300);
    EXPECT_EQ(s.lignes().size(), 1);
    EXPECT_TRUE(b.log.contient(QStringLiteral("déposé a.pdf sur Modifier : ouvert dans Vemo Folio")));
}

TEST(Retouches, SansLaSoeurSeuleLaLigneDuJournal)
{
    BureauTemporaire vide;
    const QString pdf = vide.dossier.ecrire(QStringLiteral("a.pdf"), "%PDF-1.4");
    Banc b({QStringLiteral("--retoucher=signer:") + pdf});
    EXPECT_EQ(b.log.messages().filter(QStringLiteral("déposé a.pdf sur Modifier → ")).size(), 1);
    EXPECT_FALSE(b.etat.fait().has_value());
}

TEST(Retouches, UnEchecDeLancementEstJournaliseSansLien)
{
    Soeur s;
    const QString pdf = s.dossier.ecrire(QStringLiteral("a.pdf"), "%PDF-1.4");
    const std::optional<Roue::Retouche> offre = Roue::Retouche::pour({pdf});
    ASSERT_TRUE(offre && offre->app);
    QFile::remove(s.script);  // the application went away after the drag began
    Banc b;
    b.retoucher(pdf, *offre, offre->outils.first());
    ASSERT_TRUE(attendre([&] { return !b.log.messages().filter(QStringLiteral("ouverture dans Vemo Folio : ")).isEmpty(); }));
    patienter(200);
    EXPECT_TRUE(s.lignes().isEmpty());
}

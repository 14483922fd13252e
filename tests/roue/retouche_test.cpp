#include "retouche_bureau.h"

#include "commun/Dossier.h"
#include "plateforme/Bureau.h"
#include "roue/Retouche.h"

#include <QFile>
#include <gtest/gtest.h>

static const QString folio = "com.ormelin.folio";

TEST(Retouche, UneImageOuUnPDFSeulement)
{
    BureauTemporaire b;
    for (const QStringList& l : {QStringList{}, {"/a/x.pdf", "/a/y.pdf"}, {"/a/x.png", "/a/y.png"}, {"/a/x.mp3"},
                                 {"/a/x.docx"}, {"/a/x.zip"}, {"/a/x.mov"}, {"/a/x"}, {b.dossier.racine()}})
        EXPECT_FALSE(Roue::Retouche::pour(l).has_value()) << l.join(",").toStdString();
    EXPECT_EQ(Roue::Retouche::pour({"/a/Mon contrat.PDF"}).value_or(Roue::Retouche{}).schema.toStdString(), "vemo-folio");
    for (const char* nom : {"/a/x.png", "/a/x.HEIC", "/a/x.tiff", "/a/x.jpeg", "/a/x.webp", "/a/x.gif"})
        EXPECT_EQ(Roue::Retouche::pour({nom}).value_or(Roue::Retouche{}).schema.toStdString(), "vemo-croquis") << nom;
}

// What the "Modifier" petal says, with the sibling application absent, then installed while
// running (seen at the next call), then removed. Image tools are always our own.
TEST(Retouche, OffreSelonLApplicationSoeur)
{
    BureauTemporaire b;
    const struct {
        const char *fichier, *id, *installer;
        bool app, interne;
        const char *phrase, *etiquette;
    } cas[] = {{"/x/a.pdf", "", "", false, false, "Avec Vemo Folio", "Avec Vemo Folio"},
               {"/x/a.pdf", "com.ormelin.folio", "sys2", true, false, "Modifier", "Vemo Folio"},
               {"/x/photo.jpg", "", "", false, true, "Modifier", "Retouches"},
               {"/x/photo.jpg", "com.atelierbrumeux.croquis", "sys1", true, true, "Modifier", "Retouches"}};
    for (const auto& c : cas) {
        const QString entree = *c.id ? b.installer(c.id, c.installer) : QString();
        const auto r = Roue::Retouche::pour({c.fichier});
        ASSERT_TRUE(r) << c.fichier;
        EXPECT_EQ(r->app.value_or(QString()), entree) << c.fichier << " " << c.id;
        EXPECT_EQ(r->toutInterne(), c.interne) << c.fichier;
        EXPECT_EQ(r->petale().phrase, c.phrase) << c.fichier << " " << c.id;
        EXPECT_EQ(r->etiquette(), c.etiquette) << c.fichier << " " << c.id;
        EXPECT_EQ(r->petale().id, "modifier");
        if (!entree.isEmpty()) {
            QFile::remove(entree);
            EXPECT_FALSE(Roue::Retouche::pour({c.fichier})->app) << c.fichier;
        }
    }
}

// The user's own entries come first, and one may hide or disable an application.
TEST(Retouche, EntreesDeBureau)
{
    BureauTemporaire b;
    for (const char* ou : {"sys2", "sys1", "home"})
        EXPECT_EQ(Bureau::application(folio), b.installer(folio, ou)) << ou;
    for (const char* extra : {"Hidden=true\n", "TryExec=/nonexistent/programme\n"}) {
        b.installer(folio, "home", "/bin/true %U", extra);
        EXPECT_EQ(Bureau::application(folio), std::nullopt) << extra;
    }
    b.dossier.ecrire("home/applications/" + folio + ".desktop", "pas une entrée");
    EXPECT_EQ(Bureau::application(folio), std::nullopt);
    EXPECT_EQ(Bureau::application("../applications/" + folio), std::nullopt);
    EXPECT_EQ(Bureau::application(""), std::nullopt);
    // Launching through an entry that is not there says why.
    QString erreur;
    EXPECT_FALSE(Bureau::ouvrirAvec(b.dossier.chemin("absente.desktop"), "/x/a.pdf", &erreur));
    EXPECT_FALSE(erreur.isEmpty());
}

// The link, read back by Python's URL parser.
TEST(Retouche, LienRelu)
{
    Dossier d;
    const QString lecteur = d.ecrire("lire.py", "import sys, urllib.parse as u\n"
                                                "p = u.urlsplit(sys.argv[1])\n"
                                                "q = u.parse_qsl(p.query)\n"
                                                "print(p.scheme, p.netloc, sep='\\n')\n"
                                                "for k, v in q: print(k); print(v)\n");
    const Roue::Retouche r = Roue::Retouche::offrePDF();
    for (const QString& fichier : {QString("/Users/x/Mon contrat.pdf"), QString("/tmp/été à 100%20 près.pdf"),
                                   QString("/a/b+c&d=e#f?g;h'i\".pdf"), QString("/a/%41%2525.pdf")}) {
        const auto lien = r.lien(r.outils[0], fichier);
        ASSERT_TRUE(lien);
        const QString texte = QString::fromLatin1(lien->toEncoded());
        EXPECT_FALSE(texte.contains(' ')) << texte.toStdString();
        QString sortie;
        ASSERT_EQ(executer("python3", {lecteur, texte}, &sortie), 0) << sortie.toStdString();
        EXPECT_EQ(sortie.toStdString(), ("vemo-folio\noutil\nnom\nsigner\nfichier\n" + fichier + "\n").toStdString())
            << texte.toStdString();
    }
}

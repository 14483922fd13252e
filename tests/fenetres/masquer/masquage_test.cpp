// Personal data found, blurred and masked: the patterns as a table, detection on a picture
// drawn here, the masked picture read back by the tesseract command line, and the refusal
// to write a « masquée » file whose blur hides nothing.
#include "commun/Dossier.h"
#include "conversions/Erreur.h"
#include "fenetres/masquer/modele/Masquage.h"
#include "fenetres/retouches/Retouches.h"
#include "fenetres/masquer/modele/Sensibles.h"

#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

struct Ecrit {
    QImage image;
    QRect adresse, telephone, apres;  // where the address, the number and "demain" stand
};

// Two lines of text on white, the address and the number among other words, their
// baselines at `y1` and `y2`.
Ecrit ecrire(int hauteur = 420, int y1 = 120, int y2 = 300)
{
    Ecrit e{QImage(1400, hauteur, QImage::Format_RGBX8888), {}, {}, {}};
    e.image.fill(Qt::white);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(40);
    const QFontMetrics fm(f);
    QPainter p(&e.image);
    p.setFont(f);
    p.setPen(Qt::black);
    const auto placer = [&](int y, const QString& avant, const QString& cible, const QString& suite, QRect* apres) {
        p.drawText(60, y, avant + cible + suite);
        const int x = 60 + fm.horizontalAdvance(avant);
        if (apres)
            *apres = fm.tightBoundingRect(suite.trimmed()).translated(x + fm.horizontalAdvance(cible + QLatin1Char(' ')), y);
        return fm.tightBoundingRect(cible).translated(x, y);
    };
    e.adresse = placer(y1, QStringLiteral("Écrivez à "), QStringLiteral("jean.dupont@exemple.fr"),
                       QStringLiteral(" demain"), &e.apres);
    e.telephone = placer(y2, QStringLiteral("Appelez le "), QStringLiteral("06 12 34 56 78"), QStringLiteral(" ce soir"),
                         nullptr);
    return e;
}

QString lireAvecTesseract(const QImage& image, const Dossier& d)
{
    const QString chemin = d.chemin(QStringLiteral("lu.png"));
    image.save(chemin);
    // The command line's fixed team of threads crawls on a busy machine: one is enough here.
    qputenv("OMP_THREAD_LIMIT", "1");
    QString texte;
    executer(QStringLiteral("tesseract"), {chemin, QStringLiteral("stdout"), QStringLiteral("-l"), QStringLiteral("fra+eng")},
             &texte);
    return texte;
}

} // namespace

TEST(Sensibles, MotifsEnTable)
{
    const struct {
        const char* ligne;
        QStringList trouves;
    } cas[] = {
        {"Écrire à jean.dupont@exemple.fr demain", {"jean.dupont@exemple.fr"}},
        {"a_b+c%d@sous.domaine.org, x@y.z", {"a_b+c%d@sous.domaine.org"}},
        {"06 12 34 56 78", {"06 12 34 56 78"}},
        {"tel 06.12.34.56.78 ou 06-12-34-56-78", {"06.12.34.56.78", "06-12-34-56-78"}},
        {"0612345678", {"0612345678"}},
        {"+33 6 12 34 56 78", {"+33 6 12 34 56 78"}},
        {"+33612345678", {"+33612345678"}},
        {"00 12 34 56 78", {}},
        {"06 12 34 56", {}},
        // Sixteen digits in fours, with blanks or hyphens: a card.
        {"4970 1012 3456 7890", {"4970 1012 3456 7890"}},
        {"4970-1012-3456-7890", {"4970-1012-3456-7890"}},
        {"Carte 1234567890123", {"1234567890123"}},
        {"123456789012", {}},
        // The phone pattern has no boundaries: inside twenty digits it finds the ten from the 0.
        {"12345678901234567890", {"0123456789"}},
    };
    for (const auto& c : cas) {
        const QString ligne = QString::fromUtf8(c.ligne);
        QStringList trouves;
        for (const auto& [debut, fin] : Sensibles::trouver(ligne))
            trouves << ligne.mid(debut, fin - debut);
        EXPECT_EQ(trouves, c.trouves) << c.ligne;
    }
}

TEST(Sensibles, BoitesEtTailles)
{
    const QList<QRect> boites{QRect(10, 5, 8, 12), QRect(), QRect(30, 4, 6, 14), QRect(40, 6, 5, 10)};
    EXPECT_EQ(Sensibles::boite(boites, 0, 1), QRect(10, 5, 8, 12));
    EXPECT_EQ(Sensibles::boite(boites, 1, 3), QRect(30, 4, 6, 14));  // the blank counts for nothing
    EXPECT_EQ(Sensibles::boite(boites, 0, 4), QRect(QPoint(10, 4), QPoint(44, 17)));
    EXPECT_TRUE(Sensibles::boite(boites, 1, 2).isNull());
    const struct {
        QSizeF image;
        double marge, flou;
    } tailles[] = {{{1000, 800}, 3.2, 16}, {{500, 600}, 3, 12}, {{3000, 2000}, 8, 40}, {{400, 300}, 3, 12}};
    for (const auto& t : tailles) {
        EXPECT_DOUBLE_EQ(Sensibles::marge(t.image), t.marge);
        EXPECT_DOUBLE_EQ(Sensibles::flou(t.image), t.flou);
    }
}

TEST(Masquage, TrouveFloutePuisMasque)
{
    // A tall picture is read in bands of rows: lines across the bands' edges (700 and 1400)
    // are found once each.
    const Ecrit haute = ecrire(2100, 715, 1415);
    const QList<QRectF> trouvees = Retouches::infosSensibles(haute.image);
    ASSERT_EQ(trouvees.size(), 2);
    EXPECT_TRUE(trouvees[0].contains(QRectF(haute.adresse).adjusted(2, 2, -2, -2)));
    EXPECT_TRUE(trouvees[1].contains(QRectF(haute.telephone).adjusted(2, 2, -2, -2)));

    const Ecrit e = ecrire();
    const QList<QRectF> zones = Retouches::infosSensibles(e.image);
    ASSERT_EQ(zones.size(), 2);
    // Each zone covers its text, grown by 3 pixels, and not the rest of its line.
    const struct {
        QRect texte;
        QRectF zone;
    } attendus[] = {{e.adresse, zones[0]}, {e.telephone, zones[1]}};
    for (const auto& a : attendus) {
        EXPECT_TRUE(a.zone.contains(QRectF(a.texte).adjusted(2, 2, -2, -2))) << a.zone.x() << "," << a.zone.y() << " " << a.zone.width() << "x" << a.zone.height() << " vs " << a.texte.x() << "," << a.texte.y() << " " << a.texte.width() << "x" << a.texte.height();
        EXPECT_NEAR(a.zone.left(), a.texte.left() - 3, 6);
        EXPECT_NEAR(a.zone.right(), a.texte.right() + 3, 6);
    }
    EXPECT_LT(zones[0].right(), e.apres.left());

    const QImage flou = Retouches::flouter(e.image);
    ASSERT_EQ(flou.size(), e.image.size());
    const QImage masquee = Retouches::masquer(e.image, flou, zones);
    Dossier d;
    const QString lu = lireAvecTesseract(masquee, d);
    EXPECT_TRUE(lireAvecTesseract(e.image, d).contains(QStringLiteral("dupont")));
    EXPECT_FALSE(lu.contains(QStringLiteral("dupont"))) << lu.toStdString();
    EXPECT_FALSE(lu.contains(QStringLiteral("34 56"))) << lu.toStdString();
    EXPECT_TRUE(lu.contains(QStringLiteral("demain"))) << lu.toStdString();
    // Outside the zones not one pixel changed.
    int changes = 0;
    for (int y = 0; y < e.image.height(); ++y)
        for (int x = 0; x < e.image.width(); ++x) {
            const bool dedans = std::any_of(zones.begin(), zones.end(), [&](const QRectF& z) {
                return z.toAlignedRect().contains(x, y);
            });
            if (!dedans && masquee.pixel(x, y) != e.image.pixel(x, y))
                ++changes;
        }
    EXPECT_EQ(changes, 0);
    // A zone at y = 0 covers the top rows; one partly outside is clipped.
    const QImage haut = Retouches::masquer(e.image, flou, {QRectF(1300, 0, 500, 10)});
    EXPECT_EQ(haut.pixel(1350, 5), flou.pixel(1350, 5));
    EXPECT_EQ(haut.pixel(1350, 15), e.image.pixel(1350, 15));
}

TEST(Masquage, UnFlouQuiNeCacheRienEstRefuse)
{
    // A blank picture blurs into itself: the copy would hide nothing.
    QImage blanche(300, 200, QImage::Format_RGBX8888);
    blanche.fill(Qt::white);
    EXPECT_TRUE(Retouches::flouter(blanche).isNull());
    EXPECT_TRUE(Retouches::infosSensibles(blanche).isEmpty());
    const Ecrit e = ecrire();
    for (const QImage& flou : {QImage(), e.image, Retouches::flouter(e.image).scaled(100, 30)}) {
        try {
            Retouches::masquer(e.image, flou, {QRectF(10, 10, 50, 50)});
            ADD_FAILURE() << "a blur that hides nothing was accepted";
        } catch (const Conversions::Erreur& err) {
            EXPECT_EQ(err.cas(), Conversions::Erreur::Cas::rien);
        }
    }
}

TEST(Masquage, EcriteSansMetadonnees)
{
    // A JPEG that says where it was taken (EXIF) and carries a comment.
    Dossier d;
    const Ecrit e = ecrire();
    QImage commentee = e.image;
    commentee.setText(QStringLiteral("Description"), QStringLiteral("commentaire secret"));
    const QString source = d.chemin("photo.jpg");
    ASSERT_TRUE(commentee.save(source, "JPEG"));
    const QByteArray texte("pris au 48.8566N 2.3522E");
    QByteArray tiff("II*\0\x08\0\0\0\x01\0\x0e\x01\x02\0", 14);
    for (int v : {int(texte.size()) + 1, 26, 0})
        tiff.append(reinterpret_cast<const char*>(&v), 4);
    tiff += texte + '\0';
    const QByteArray exif = QByteArray("Exif\0\0", 6) + tiff;
    const int longueur = int(exif.size()) + 2;
    QFile f(source);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray jpeg = f.readAll();
    f.close();
    jpeg.insert(2, QByteArray("\xff\xe1", 2) + char(longueur >> 8) + char(longueur & 0xff) + exif);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(jpeg);
    f.close();
    QString avant;
    executer(QStringLiteral("identify"), {QStringLiteral("-verbose"), source}, &avant);
    ASSERT_TRUE(avant.contains(QStringLiteral("48.8566N")) && avant.contains(QStringLiteral("commentaire secret")));

    const QImage flou = Retouches::flouter(e.image);
    const QString masquee = Retouches::enregistrer(Retouches::masquer(e.image, flou, {QRectF(10, 10, 50, 50)}), source,
                                                   QStringLiteral("masquée"));
    QString apres;
    executer(QStringLiteral("identify"), {QStringLiteral("-verbose"), masquee}, &apres);
    EXPECT_FALSE(apres.contains(QStringLiteral("exif:"), Qt::CaseInsensitive)) << apres.toStdString();
    EXPECT_FALSE(apres.contains(QStringLiteral("48.8566N")));
    EXPECT_FALSE(apres.contains(QStringLiteral("secret")));
    EXPECT_TRUE(apres.contains(QStringLiteral("Geometry: 1400x420")));
}

// A failure's lines in a tool window: broken between words only, never a guillemet alone, the
// quoted file name shortened in its middle with its end kept, each line within its width.
#include "fenetres/commun/modele/Lignes.h"

#include <QFontMetricsF>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QFont douze()
{
    QFont f;
    f.setPixelSize(12);
    return f;
}

// The words of a text, whatever spaces stand between them.
QStringList mots(const QString& texte)
{
    static const QRegularExpression blancs(QStringLiteral("[\\s\\x{00A0}]+"));
    return texte.split(blancs, Qt::SkipEmptyParts);
}

std::string montrer(const QStringList& l) { return l.join(QStringLiteral(" | ")).toStdString(); }

} // namespace

TEST(LignesDUneErreur, EntreLesMotsSeulementEtGuillemetsLies)
{
    const QFont f = douze();
    const QFontMetricsF m(f);
    const QString lecture = QStringLiteral("Impossible de lire la photo");
    const QString ecriture = QStringLiteral("Impossible d’écrire « photo (rognée).jpg »");
    for (const QString& texte : {lecture, ecriture}) {
        // At the width its two lines need, and at every width above: whole words, in order,
        // nothing left out, no line wider than its room.
        const int deux = Lignes::largeurPour(texte, f, 2);
        EXPECT_LT(deux, m.horizontalAdvance(texte)) << texte.toStdString();
        for (int largeur = deux; largeur <= deux + 200; largeur += 7) {
            const QStringList l = Lignes::ajuster(texte, f, largeur, 2);
            ASSERT_LE(l.size(), 2) << largeur;
            EXPECT_EQ(mots(l.join(QLatin1Char(' '))), mots(texte)) << largeur << ": " << montrer(l);
            for (const QString& ligne : l) {
                EXPECT_LE(m.horizontalAdvance(ligne), largeur + 0.5) << largeur << ": " << montrer(l);
                // A guillemet never stands alone at a line's end or start.
                EXPECT_FALSE(ligne.startsWith(QChar(0x00BB))) << largeur << ": " << montrer(l);
                EXPECT_FALSE(ligne.endsWith(QChar(0x00AB))) << largeur << ": " << montrer(l);
            }
        }
        // One point narrower, two lines are no longer enough without shortening.
        EXPECT_NE(mots(Lignes::ajuster(texte, f, deux - 1, 2).join(' ')), mots(texte)) << texte.toStdString();
    }
    // Where a plain space would leave « » » alone on the second line, a word goes down with it.
    const double juste = m.horizontalAdvance(QStringLiteral("Impossible d’écrire « photo (rognée).jpg")) + 2;
    const QStringList l = Lignes::ajuster(ecriture, f, juste, 2);
    ASSERT_EQ(l.size(), 2) << montrer(l);
    EXPECT_GT(l[1].size(), 1) << montrer(l);
    EXPECT_TRUE(l[1].endsWith(QStringLiteral("jpg\u00A0\u00BB"))) << montrer(l);
}

TEST(LignesDUneErreur, UnNomLongRaccourciEnSonMilieu)
{
    const QFont f = douze();
    const QFontMetricsF m(f);
    const QString nom = QStringLiteral("vacances au bord de la mer avec toute la famille en août (rognée).png");
    const QString texte = QStringLiteral("Impossible d’écrire « %1 »").arg(nom);
    const QStringList l = Lignes::ajuster(texte, f, 240, 2, nom);
    ASSERT_EQ(l.size(), 2) << montrer(l);
    for (const QString& ligne : l)
        EXPECT_LE(m.horizontalAdvance(ligne), 240.5) << montrer(l);
    const QString tout = l.join(QLatin1Char(' '));
    // The sentence whole, the name's start and end kept, its middle given up.
    EXPECT_TRUE(tout.startsWith(QStringLiteral("Impossible d’écrire «\u00A0vacances"))) << montrer(l);
    EXPECT_TRUE(tout.endsWith(QStringLiteral("(rognée).png\u00A0»"))) << montrer(l);
    EXPECT_TRUE(tout.contains(QChar(0x2026))) << montrer(l);
    EXPECT_FALSE(tout.contains(QStringLiteral("toute la famille"))) << montrer(l);
    // As much of the name as fits: a longer cut would not.
    EXPECT_GT(m.horizontalAdvance(tout), 240 * 1.5) << montrer(l);

    // A name without a space, wider than a line: shortened, never broken across the lines.
    const QString colle = QStringLiteral("IMG_20240512_183045_vacances_a_la_mer_avec_la_famille_entiere.jpg");
    const QStringList c = Lignes::ajuster(QStringLiteral("Impossible de lire « %1 »").arg(colle), f, 150, 2, colle);
    ASSERT_EQ(c.size(), 2) << montrer(c);
    EXPECT_TRUE(c[1].startsWith(QStringLiteral("«\u00A0IMG_")) && c[1].endsWith(QStringLiteral("ere.jpg\u00A0»")))
        << montrer(c);
    EXPECT_TRUE(c[1].contains(QChar(0x2026))) << montrer(c);
    for (const QString& ligne : c)
        EXPECT_LE(m.horizontalAdvance(ligne), 150.5) << montrer(c);

    // Without a name to shorten, the last line is elided: still two lines within their width.
    const QString long_ = QString(QStringLiteral("beaucoup trop de mots ")).repeated(20);
    const QStringList e = Lignes::ajuster(long_, f, 120, 2);
    ASSERT_EQ(e.size(), 2);
    EXPECT_TRUE(e[1].endsWith(QChar(0x2026))) << montrer(e);
    for (const QString& ligne : e)
        EXPECT_LE(m.horizontalAdvance(ligne), 120.5) << montrer(e);
}

// The name given is what gives up its middle, whatever it holds: guillemets of its own, or a
// single word. Its end stays on the last line, and the cut never breaks across two lines.
TEST(LignesDUneErreur, LeNomDonneRaccourciQuoiQuIlContienne)
{
    const QFont f = douze();
    const QFontMetricsF m(f);
    const struct {
        QString nom;
        QString fin;
    } noms[] = {
        {QStringLiteral("Vacances d'été « Côte d'Azur » à Nice, une très longue légende pour voir la fin (rognée).jpg"),
         QStringLiteral(").jpg\u00A0»")},
        {QStringLiteral("« entre guillemets » (annotée).png"), QStringLiteral(").png\u00A0»")},
        {QStringLiteral("Photographie_de_vacances_prise_au_bord_de_la_mer_numero_42_x (rognée).jpg"),
         QStringLiteral(").jpg\u00A0»")},
    };
    for (const auto& [nom, fin] : noms)
        for (const double largeur : {240.0, 180.0, 150.0}) {
            const QString texte = QStringLiteral("Impossible d’écrire « %1 »").arg(nom);
            const QStringList l = Lignes::ajuster(texte, f, largeur, 2, nom);
            const std::string cas = nom.toStdString() + " at " + std::to_string(int(largeur)) + ": " + montrer(l);
            ASSERT_EQ(l.size(), 2) << cas;
            EXPECT_TRUE(l[0].startsWith(QStringLiteral("Impossible d’écrire"))) << cas;
            EXPECT_TRUE(l[1].endsWith(fin)) << cas;
            EXPECT_LE(l.join(' ').count(QChar(0x2026)), 1) << cas;
            for (const QString& ligne : l) {
                EXPECT_LE(m.horizontalAdvance(ligne), largeur + 0.5) << cas;
                // The two halves of the name stay joined at the ellipsis.
                for (const QChar bout : {ligne.front(), ligne.back()})
                    EXPECT_TRUE(bout != QChar(0x2026) && bout != QChar(0x2060)) << cas;
            }
        }
    // A name the text does not quote as given: the text's end gives way, nothing else.
    const QStringList e = Lignes::ajuster(QStringLiteral("Impossible de lire « %1 »").arg(noms[0].nom), f, 150, 2,
                                          QStringLiteral("autre.jpg"));
    ASSERT_EQ(e.size(), 2);
    EXPECT_TRUE(e[1].endsWith(QChar(0x2026))) << montrer(e);
}

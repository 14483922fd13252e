// The mascot's reactions to the wheel's state: text, gaze, eyes, shake, arrival, blinks.
#include "roue/EtatRoue.h"
#include "roue/Mascotte.h"
#include "roue/Retouche.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Runs the event loop until `condition` holds or `ms` have passed.
bool attendre(const std::function<bool()>& condition, int ms)
{
    QElapsedTimer montre;
    montre.start();
    while (!condition() && montre.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return condition();
}

QList<Petale> petales(int n)
{
    QList<Petale> l;
    for (int i = 0; i < n; ++i)
        l.append({QStringLiteral("p%1").arg(i), QStringLiteral("P%1").arg(i), QStringLiteral("photo"),
                  i % 2 ? std::optional<QString>(QStringLiteral("Phrase %1").arg(i)) : std::nullopt});
    return l;
}

class MascotteTest : public ::testing::Test {
protected:
    EtatRoue etat;
    Animateur animateur;
    Mascotte mascotte{etat, animateur};
};

} // namespace

// Each step changes the state, then reads the text: a failure's message, then the tool, the
// hovered petal and the centre, each falling through when out of range or absent.
TEST_F(MascotteTest, TextFollowsFailureToolPetalThenCentre)
{
    EXPECT_EQ(mascotte.texte(), QStringLiteral("Glissez ici"));
    etat.setPetales(petales(4));
    const Retouche folio = Retouche::offrePDF(), installee = Retouche::offrePDF(QStringLiteral("/a/x.desktop"));
    const struct {
        std::function<void()> changer;
        const char* texte;
    } pas[] = {
        {[&] { etat.setSurvol(1); }, "Phrase 1"},
        {[&] { etat.setSurvol(2); }, "En P2"},
        {[&] { etat.setSurvol(7); }, "Glissez ici"},
        {[&] { etat.setSurvol(1); etat.setRetouche(folio); etat.setOutil(0); }, "Avec Vemo Folio"},
        {[&] { etat.setRetouche(installee); }, "Signer"},
        {[&] { etat.setOutil(3); }, "Réorganiser les pages"},
        {[&] { etat.setRetouche(Retouche::offreImage()); etat.setOutil(2); }, "Masquer les infos"},
        {[&] { etat.setOutil(9); }, "Phrase 1"},
        {[&] { etat.setFait(false); }, "Phrase 1"},
        {[&] { etat.setMessage(QStringLiteral("Impossible d’écrire « a.mp3 »")); }, "Impossible d’écrire « a.mp3 »"},
        {[&] { etat.setFait(true); }, "Phrase 1"},
    };
    int i = 0;
    for (const auto& p : pas) {
        p.changer();
        EXPECT_EQ(mascotte.texte(), QString::fromUtf8(p.texte)) << "pas " << i++;
    }
}

TEST_F(MascotteTest, GazeTurnsTowardsTheAimedAngle)
{
    EXPECT_EQ(mascotte.regard(), QSizeF(0, 0));
    const double d = std::sqrt(0.5);
    const struct {
        int n, survol;
        double dx, dy;
    } cas[] = {{4, 0, 0, -7}, {4, 1, 9, 0}, {4, 2, 0, 7}, {4, 3, -9, 0}, {8, 1, 9 * d, -7 * d}};
    for (const auto& c : cas) {
        etat.setPetales(petales(c.n));
        etat.setSurvol(c.survol);
        EXPECT_NEAR(mascotte.regard().width(), c.dx, 1e-9) << c.n << " " << c.survol;
        EXPECT_NEAR(mascotte.regard().height(), c.dy, 1e-9) << c.n << " " << c.survol;
    }
    // A job or an outcome: straight ahead.
    etat.setProgression(0.2);
    EXPECT_EQ(mascotte.regard(), QSizeF(0, 0));
    etat.setProgression(std::nullopt);
    etat.setFait(true);
    EXPECT_EQ(mascotte.regard(), QSizeF(0, 0));
}

TEST_F(MascotteTest, EyesNarrowForAJobDroopForAFailureAndBlink)
{
    EXPECT_DOUBLE_EQ(mascotte.echelleYeux(), 1);
    mascotte.clinDOeil();
    EXPECT_TRUE(mascotte.clin());
    EXPECT_DOUBLE_EQ(mascotte.echelleYeux(), 0.1);
    EXPECT_TRUE(attendre([&] { return !mascotte.clin(); }, 3000));
    EXPECT_DOUBLE_EQ(mascotte.echelleYeux(), 1);
    // The eye scale eases to its value (0.12 s).
    animateur.terminer();
    etat.setProgression(0);
    EXPECT_DOUBLE_EQ(mascotte.echelleYeux(), 0.14);
    animateur.avancer(0.05);
    EXPECT_GT(mascotte.ouvertureYeux(), 0.14);
    EXPECT_LT(mascotte.ouvertureYeux(), 1);
    animateur.avancer(0.1);
    EXPECT_DOUBLE_EQ(mascotte.ouvertureYeux(), 0.14);
    etat.setFait(false);
    EXPECT_DOUBLE_EQ(mascotte.echelleYeux(), 0.14);  // the job still shows
    etat.setProgression(std::nullopt);
    EXPECT_DOUBLE_EQ(mascotte.echelleYeux(), 0.8);
    mascotte.clinDOeil();
    EXPECT_DOUBLE_EQ(mascotte.echelleYeux(), 0.8);  // a failure outranks a blink
}

TEST_F(MascotteTest, EachFailureShakesOnce)
{
    etat.setFait(false);
    EXPECT_EQ(mascotte.echecs(), 1);
    animateur.avancer(0.09);
    EXPECT_NEAR(mascotte.secousse(), -5, 0.2);
    animateur.avancer(0.4);
    EXPECT_DOUBLE_EQ(mascotte.secousse(), 0);
    etat.setFait(true);
    etat.setFait(std::nullopt);
    EXPECT_EQ(mascotte.echecs(), 1);
    etat.setFait(false);
    EXPECT_EQ(mascotte.echecs(), 2);
    etat.setMessage(QStringLiteral("x"));  // not an outcome change
    EXPECT_EQ(mascotte.echecs(), 2);
}

TEST_F(MascotteTest, ArrivalGrowsFromSixTenthsWithABounceAtEachOpening)
{
    EXPECT_TRUE(mascotte.arrivee());
    for (bool stabiliser : {false, true}) {
        etat.setOuverte(true);
        EXPECT_FALSE(mascotte.arrivee());
        EXPECT_DOUBLE_EQ(mascotte.taille(), 0.6);
        if (stabiliser) {
            mascotte.stabiliser();  // a picture taken now shows the full-size face
            EXPECT_DOUBLE_EQ(mascotte.taille(), 1);
        }
        EXPECT_TRUE(attendre([&] { return mascotte.arrivee(); }, 1000));
        double haut = 0;
        for (int i = 0; i < 120; ++i) {
            animateur.avancer(1.0 / 60);
            haut = std::max(haut, mascotte.taille());
        }
        if (!stabiliser) {
            EXPECT_GT(haut, 1.02);
        }
        EXPECT_NEAR(mascotte.taille(), 1, 1e-3);
        EXPECT_TRUE(mascotte.clignote());
        etat.setOuverte(false);
        EXPECT_FALSE(mascotte.clignote());
        EXPECT_TRUE(mascotte.arrivee());
    }
}

TEST_F(MascotteTest, ReducedMotionStopsArrivalShakeAndBlinks)
{
    mascotte.setReduire(true);
    etat.setOuverte(true);
    EXPECT_TRUE(mascotte.arrivee());
    EXPECT_DOUBLE_EQ(mascotte.taille(), 1);
    EXPECT_FALSE(mascotte.clignote());
    mascotte.clinDOeil();
    EXPECT_FALSE(mascotte.clin());
    etat.setFait(false);
    EXPECT_EQ(mascotte.echecs(), 0);
    EXPECT_DOUBLE_EQ(mascotte.secousse(), 0);
    // Gaze and eye changes apply at once.
    etat.setFait(std::nullopt);
    etat.setPetales(petales(4));
    etat.setSurvol(1);
    EXPECT_FALSE(animateur.actif());
    EXPECT_DOUBLE_EQ(mascotte.ouvertureYeux(), 1);
    // Back to full motion while open: the blinks resume.
    mascotte.setReduire(false);
    EXPECT_TRUE(mascotte.clignote());
}

TEST_F(MascotteTest, BlinkLoopBlinksWhileOpen)
{
    etat.setOuverte(true);
    // The first blink comes within 2.4 to 4.6 s (a coarse timer may be 5 % early or late).
    EXPECT_FALSE(attendre([&] { return mascotte.clin(); }, 2000));
    EXPECT_TRUE(attendre([&] { return mascotte.clin(); }, 3000));
    EXPECT_TRUE(attendre([&] { return !mascotte.clin(); }, 3000));
    EXPECT_TRUE(mascotte.clignote());
}

TEST(MascotteTexte, AnyTextFitsInTwoLinesOfTheFace)
{
    const double largeur = 102;
    const QString mots = QStringLiteral(
        "Le fichier « Rapport annuel définitif 2024 version corrigée.pdf » est illisible ou abîmé et "
        "rien n’a pu en être tiré malgré plusieurs essais");
    const QStringList liste = mots.split(QLatin1Char(' '));
    QStringList textes{QString(40, QLatin1Char('W')), mots + QLatin1Char(' ') + mots};
    for (int n = 1; n <= liste.size(); ++n)
        textes << liste.mid(0, n).join(QLatin1Char(' '));
    int petitesTailles = 0;
    for (const QString& texte : std::as_const(textes)) {
        const Mascotte::Texte t = Mascotte::miseEnPage(texte, 11.5, largeur);
        ASSERT_GE(t.lignes.size(), 1) << texte.toStdString();
        EXPECT_LE(t.lignes.size(), 2) << texte.toStdString();
        for (const QString& ligne : t.lignes)
            EXPECT_LE(t.police.largeur(ligne), largeur + 0.5) << ligne.toStdString();
        EXPECT_GE(t.police.taille(), 8.62);
        petitesTailles += t.police.taille() < 11.5;
        // Nothing is lost while it fits: the lines hold every word.
        if (!t.lignes.last().endsWith(QChar(0x2026)) && texte.contains(QLatin1Char(' '))) {
            EXPECT_EQ(t.lignes.join(QLatin1Char(' ')).simplified(), texte.simplified());
        }
    }
    EXPECT_GT(petitesTailles, 0);  // the long ones shrank
    // A short text stays whole, at full size, on one line.
    const Mascotte::Texte court = Mascotte::miseEnPage(QStringLiteral("En PNG"), 11.5, largeur);
    EXPECT_EQ(court.lignes, QStringList{QStringLiteral("En PNG")});
    EXPECT_DOUBLE_EQ(court.police.taille(), 11.5);
    // Far too long: two lines at three quarters of the size, the second cut with an ellipsis.
    const Mascotte::Texte long_ = Mascotte::miseEnPage(textes[1], 11.5, largeur);
    EXPECT_EQ(long_.lignes.size(), 2);
    EXPECT_DOUBLE_EQ(long_.police.taille(), 8.625);
    EXPECT_TRUE(long_.lignes[1].endsWith(QChar(0x2026)));
}

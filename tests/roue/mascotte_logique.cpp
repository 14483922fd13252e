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

// n petals; the odd ones have a phrase of their own.
QList<Conversions::Petale> petales(int n)
{
    QList<Conversions::Petale> l;
    for (int i = 0; i < n; ++i)
        l.append({QString("p%1").arg(i), QString("P%1").arg(i), "photo",
                  i % 2 ? std::optional<QString>(QString("Phrase %1").arg(i)) : std::nullopt});
    return l;
}

class MascotteTest : public ::testing::Test {
protected:
    Roue::EtatRoue etat;
    Animateur animateur;
    Roue::Mascotte mascotte{etat, animateur};
};

} // namespace

// Each step changes the state, then reads the text: a failure's message, then the tool, the
// hovered petal and the centre, each falling through when out of range or absent.
TEST_F(MascotteTest, TextFollowsFailureToolPetalThenCentre)
{
    EXPECT_EQ(mascotte.texte(), "Glissez ici");
    etat.setPetales(petales(4));
    const struct {
        std::function<void()> changer;
        const char* texte;
    } pas[] = {
        {[&] { etat.setSurvol(1); }, "Phrase 1"},
        {[&] { etat.setSurvol(2); }, "En P2"},
        {[&] { etat.setSurvol(7); }, "Glissez ici"},
        {[&] { etat.setSurvol(1); etat.setRetouche(Roue::Retouche::offrePDF()); etat.setOutil(0); }, "Avec Vemo Folio"},
        {[&] { etat.setRetouche(Roue::Retouche::offrePDF("/a/x.desktop")); }, "Signer"},
        {[&] { etat.setOutil(3); }, "Réorganiser les pages"},
        {[&] { etat.setRetouche(Roue::Retouche::offreImage()); etat.setOutil(2); }, "Masquer les infos"},
        {[&] { etat.setOutil(9); }, "Phrase 1"},
        {[&] { etat.setFait(false); }, "Phrase 1"},
        {[&] { etat.setMessage(QString("Impossible d’écrire « a.mp3 »")); }, "Impossible d’écrire « a.mp3 »"},
        {[&] { etat.setFait(true); }, "Phrase 1"},
    };
    int i = 0;
    for (const auto& p : pas) {
        p.changer();
        EXPECT_EQ(mascotte.texte(), QString::fromUtf8(p.texte)) << "pas " << i++;
    }
}

// The gaze turns towards the hovered petal (y down on screen), straight ahead during a job or an outcome.
TEST_F(MascotteTest, GazeTurnsTowardsTheAimedAngle)
{
    EXPECT_EQ(mascotte.regard(), QSizeF(0, 0));
    const struct {
        int n, survol, sx, sy;
    } cas[] = {{4, 0, 0, -1}, {4, 1, 1, 0}, {4, 2, 0, 1}, {4, 3, -1, 0}, {8, 1, 1, -1}};
    for (const auto& c : cas) {
        etat.setPetales(petales(c.n));
        etat.setSurvol(c.survol);
        const QSizeF r = mascotte.regard();
        EXPECT_EQ((r.width() > 1) - (r.width() < -1), c.sx) << c.n << " " << c.survol;
        EXPECT_EQ((r.height() > 1) - (r.height() < -1), c.sy) << c.n << " " << c.survol;
    }
    etat.setProgression(0.2);
    EXPECT_EQ(mascotte.regard(), QSizeF(0, 0));
    etat.setProgression(std::nullopt);
    etat.setFait(true);
    EXPECT_EQ(mascotte.regard(), QSizeF(0, 0));
}

// Narrowed for a job, drooping for a failure, shut for a blink: a job outranks a failure,
// which outranks a blink; a blink ends by itself.
TEST_F(MascotteTest, EyesNarrowForAJobDroopForAFailureAndBlink)
{
    const double ouverts = mascotte.echelleYeux();
    mascotte.clinDOeil();
    const double clin = mascotte.echelleYeux();
    EXPECT_LT(clin, ouverts);
    EXPECT_TRUE(attendre([&] { return !mascotte.clin(); }, 3000));
    EXPECT_DOUBLE_EQ(mascotte.echelleYeux(), ouverts);
    animateur.terminer();
    etat.setProgression(0);
    const double travail = mascotte.echelleYeux();
    EXPECT_LT(travail, ouverts);
    // What the face draws eases there rather than jumping.
    animateur.avancer(0.03);
    EXPECT_GT(mascotte.ouvertureYeux(), travail);
    EXPECT_LT(mascotte.ouvertureYeux(), ouverts);
    animateur.avancer(1);
    EXPECT_DOUBLE_EQ(mascotte.ouvertureYeux(), travail);
    etat.setFait(false);
    EXPECT_DOUBLE_EQ(mascotte.echelleYeux(), travail);
    etat.setProgression(std::nullopt);
    const double echec = mascotte.echelleYeux();
    EXPECT_LT(echec, ouverts);
    EXPECT_NE(echec, travail);
    mascotte.clinDOeil();
    EXPECT_DOUBLE_EQ(mascotte.echelleYeux(), echec);
}

TEST_F(MascotteTest, EachFailureShakesOnce)
{
    etat.setFait(false);
    EXPECT_EQ(mascotte.echecs(), 1);
    animateur.avancer(0.09);
    EXPECT_LT(mascotte.secousse(), -2);
    animateur.avancer(0.4);
    EXPECT_DOUBLE_EQ(mascotte.secousse(), 0);
    etat.setFait(true);
    etat.setFait(std::nullopt);
    etat.setFait(false);
    etat.setMessage(QString("x"));  // not an outcome change
    EXPECT_EQ(mascotte.echecs(), 2);
}

// Each opening grows the face with a bounce and starts the blinks; a picture taken at once
// (stabiliser) shows it full size.
TEST_F(MascotteTest, ArrivalGrowsWithABounceAtEachOpeningAndBlinks)
{
    EXPECT_TRUE(mascotte.arrivee());
    for (bool stabiliser : {false, true}) {
        etat.setOuverte(true);
        EXPECT_FALSE(mascotte.arrivee());
        EXPECT_LT(mascotte.taille(), 0.9);
        if (stabiliser) {
            mascotte.stabiliser();
            EXPECT_DOUBLE_EQ(mascotte.taille(), 1);
        }
        EXPECT_TRUE(attendre([&] { return mascotte.arrivee(); }, 1000));
        double haut = 0;
        for (int i = 0; i < 120; ++i) {
            animateur.avancer(1.0 / 60);
            haut = std::max(haut, mascotte.taille());
        }
        EXPECT_TRUE(stabiliser || haut > 1.02);
        EXPECT_NEAR(mascotte.taille(), 1, 1e-3);
        EXPECT_TRUE(mascotte.clignote());
        etat.setOuverte(false);
        EXPECT_FALSE(mascotte.clignote());
    }
    // The loop blinks by itself while open (the first blink within 2.4 to 4.6 s).
    etat.setOuverte(true);
    EXPECT_TRUE(attendre([&] { return mascotte.clin(); }, 5000));
    EXPECT_TRUE(attendre([&] { return !mascotte.clin(); }, 3000));
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
    EXPECT_DOUBLE_EQ(mascotte.ouvertureYeux(), mascotte.echelleYeux());
    // Back to full motion while open: the blinks resume.
    mascotte.setReduire(false);
    EXPECT_TRUE(mascotte.clignote());
}

// Whatever its length, a text fits two lines of the face: shrunk first, cut with an ellipsis last.
TEST(MascotteTexte, AnyTextFitsInTwoLinesOfTheFace)
{
    const double largeur = 102;
    const QString mots("Le fichier « Rapport annuel définitif 2024 version corrigée.pdf » est illisible ou abîmé et "
                       "rien n’a pu en être tiré malgré plusieurs essais");
    const QStringList liste = mots.split(' ');
    QStringList textes{QString(40, 'W'), mots + ' ' + mots};
    for (int n = 1; n <= liste.size(); ++n)
        textes << liste.mid(0, n).join(' ');
    int petitesTailles = 0;
    for (const QString& texte : std::as_const(textes)) {
        const Roue::Mascotte::Texte t = Roue::Mascotte::miseEnPage(texte, 11.5, largeur);
        ASSERT_GE(t.lignes.size(), 1) << texte.toStdString();
        EXPECT_LE(t.lignes.size(), 2) << texte.toStdString();
        for (const QString& ligne : t.lignes)
            EXPECT_LE(t.police.largeur(ligne), largeur + 0.5) << ligne.toStdString();
        EXPECT_GE(t.police.taille(), 8.62);
        petitesTailles += t.police.taille() < 11.5;
        // Nothing is lost while it fits: the lines hold every word.
        if (!t.lignes.last().endsWith(QChar(0x2026)) && texte.contains(' ')) {
            EXPECT_EQ(t.lignes.join(' ').simplified(), texte.simplified());
        }
    }
    EXPECT_GT(petitesTailles, 0);  // the long ones shrank
    // A short text stays whole, at full size, on one line.
    const Roue::Mascotte::Texte court = Roue::Mascotte::miseEnPage(QStringLiteral("En PNG"), 11.5, largeur);
    EXPECT_EQ(court.lignes, QStringList{QStringLiteral("En PNG")});
    EXPECT_DOUBLE_EQ(court.police.taille(), 11.5);
    // Far too long: two lines at three quarters of the size, the second cut with an ellipsis.
    const Roue::Mascotte::Texte long_ = Roue::Mascotte::miseEnPage(textes[1], 11.5, largeur);
    EXPECT_EQ(long_.lignes.size(), 2);
    EXPECT_DOUBLE_EQ(long_.police.taille(), 8.625);
    EXPECT_TRUE(long_.lignes[1].endsWith(QChar(0x2026)));
}

// A Shift-drag that goes on while the wheel fades out.
#include "Aides.h"

#include <gtest/gtest.h>

// The watcher asks for the wheel on every poll: during the 0.25 s fade nothing happens, and
// the first poll after the panel has gone opens it afresh.
TEST(RoueFondu, UnGlisserPendantLeFonduRouvreApres)
{
    Banc b({}, Banc::ouvert);
    b.horloge->avancer(0);
    ASSERT_TRUE(b.etat.ouverte());
    const auto ouvertures = [&] { return b.log.messages().filter(QStringLiteral("roue ouverte")).size(); };
    b.relacher();
    b.horloge->avancer(0.3);
    ASSERT_FALSE(b.etat.ouverte());
    // A new drag with Shift held, polled 30 times a second.
    b.pointeur->maj = true;
    b.pointeur->appuyer();
    b.pointeur->commencer();
    int pendantLeFondu = 0;
    while (b.visible() && pendantLeFondu < 100) {
        b.pointeur->sonder();  // one poll of the watcher
        ++pendantLeFondu;
        EXPECT_FALSE(b.etat.ouverte());
        b.horloge->avancer(0.033);
    }
    EXPECT_FALSE(b.visible());
    EXPECT_GE(pendantLeFondu, 7);
    EXPECT_EQ(ouvertures(), 1);
    b.pointeur->sonder();
    EXPECT_TRUE(b.visible());
    EXPECT_EQ(ouvertures(), 2);
    b.horloge->avancer(0);
    EXPECT_TRUE(b.etat.ouverte());
}

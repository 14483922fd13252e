// A Shift-drag that goes on while the wheel fades out.
#include "Aides.h"

#include <gtest/gtest.h>

// The watcher asks for the wheel on every poll: during the 0.25 s fade nothing happens, and
// the first poll after the panel has gone opens it afresh.
TEST(RoueFondu, UnGlisserPendantLeFonduRouvreApres)
{
    Banc b({}, Banc::ouvert);
    ASSERT_TRUE(attendre([&] { return b.c->etat.ouverte(); }));
    const auto ouvertures = [&] { return b.log.messages().filter(QStringLiteral("roue ouverte")).size(); };
    b.c->fermerBientot(0);
    ASSERT_TRUE(attendre([&] { return !b.c->etat.ouverte(); }));
    int pendantLeFondu = 0;
    while (b.visible()) {
        b.c->ouvrir();  // one poll of the watcher
        ++pendantLeFondu;
        EXPECT_FALSE(b.c->etat.ouverte());
        patienter(33);
    }
    EXPECT_GE(pendantLeFondu, 1);
    EXPECT_EQ(ouvertures(), 1);
    b.c->ouvrir();
    EXPECT_TRUE(b.visible());
    EXPECT_EQ(ouvertures(), 2);
    EXPECT_TRUE(attendre([&] { return b.c->etat.ouverte(); }));
}

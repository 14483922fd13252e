// The crop window's badge before a photo is read: the frame's size, nothing yet.
#include "commun/Attendre.h"
#include "commun/Dossier.h"
#include "fenetres/commun/Entete.h"
#include "fenetres/commun/FenetreOutil.h"
#include "fenetres/commun/Outils.h"
#include "fenetres/rogner/VueRogner.h"

#include <QImage>
#include <gtest/gtest.h>

TEST(PastilleDuRognage, ZeroAvantLaLectureEtPourUnFichierIllisible)
{
    Dossier d;
    const QString illisible = d.ecrire("casse.jpg", QByteArray(3000, '\x5a'));
    const QString lisible = d.chemin("photo.png");
    QImage(640, 480, QImage::Format_RGB32).save(lisible);
    for (const QString& fichier : {illisible, lisible}) {
        ASSERT_TRUE(Outils::ouvrir(QStringLiteral("recadrer"), fichier, [](const QString&) {}));
        FenetreOutil* fenetre = FenetreOutil::ouvertes().last();
        auto* vue = fenetre->findChild<VueRogner*>();
        // Still loading: the photo is read off the GUI thread.
        ASSERT_FALSE(vue->chargee());
        EXPECT_EQ(vue->entete().pastille(), QStringLiteral("0 × 0 px"));
        if (fichier == illisible) {
            ASSERT_TRUE(attendre([&] { return !vue->erreur().isEmpty(); }));
            EXPECT_EQ(vue->entete().pastille(), QStringLiteral("0 × 0 px"));
        } else {
            ASSERT_TRUE(attendre([&] { return vue->chargee(); }));
            EXPECT_EQ(vue->entete().pastille(), QStringLiteral("640 × 480 px"));
        }
        fenetre->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

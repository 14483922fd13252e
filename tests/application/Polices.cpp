#include "fenetres/commun/Polices.h"
#include "tesselreverie/ReveriePolices.h"
#include "tesselui/BundledFonts.h"
#include "tesselui/Paquet.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QRawFont>
#include <gtest/gtest.h>

TEST(Polices, LesTroisInscriptionsDonnentLesFamillesAttendues)
{
    Polices::inscrire();
    BundledFonts::register_();
    ReveriePolices::inscrire();
    for (const char* famille : {"Instrument Serif", "Inter", "Instrument Sans"})
        EXPECT_TRUE(QFontDatabase::families().contains(famille)) << famille;
    EXPECT_EQ(QFontInfo(Polices::titre(28)).family(), "Instrument Serif");
}

// Every shipped face is complete for French, the design system's own have a weight axis (an
// 'fvar' table), and every font folder carries its licence.
TEST(Polices, LesFichiersLivresSontCompletsPourLeFrancaisEtSousLicence)
{
    const QString ui = Paquet::module("Tessel_TesselUI.bundle") + "/Fonts";
    const QString reverie = Paquet::module("Tessel_TesselReverie.bundle") + "/Polices";
    for (const QString& f : Paquet::polices(ui) + Paquet::polices(reverie)
                                 + QStringList{Paquet::principal() + "/InstrumentSerif-Regular.ttf"}) {
        QRawFont police(f, 20);
        ASSERT_TRUE(police.isValid()) << f.toStdString();
        for (QChar c : QString("àâçéèêëîïôœùûüÿÉÀ«»’"))
            EXPECT_TRUE(police.supportsCharacter(c)) << f.toStdString() << " " << QString(c).toStdString();
    }
    for (const QString& f : {ui + "/InterVariable.ttf", reverie + "/InstrumentSans-Variable.ttf"})
        EXPECT_FALSE(QRawFont(f, 20).fontTable("fvar").isEmpty()) << f.toStdString();
    for (const QString& d : {ui, reverie, Paquet::principal()})
        EXPECT_FALSE(QDir(d).entryList({"*OFL*.txt"}).isEmpty()) << d.toStdString();
}

#include "fenetres/Polices.h"
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
    const QStringList familles = QFontDatabase::families();
    EXPECT_TRUE(familles.contains(QStringLiteral("Instrument Serif")));
    EXPECT_TRUE(familles.contains(QStringLiteral("Inter")));
    EXPECT_TRUE(familles.contains(QStringLiteral("Instrument Sans")));

    const QFont titre = Polices::titre(28);
    EXPECT_EQ(titre.pixelSize(), 28);
    EXPECT_EQ(QFontInfo(titre).family(), QStringLiteral("Instrument Serif"));
}

TEST(Polices, LesFichiersLivresSontDesPolicesVariablesEtCompletesPourLeFrancais)
{
    const QString ui = Paquet::module(QStringLiteral("Tessel_TesselUI.bundle")) + QStringLiteral("/Fonts");
    const QString reverie = Paquet::module(QStringLiteral("Tessel_TesselReverie.bundle")) + QStringLiteral("/Polices");
    for (const QString& f : Paquet::polices(ui) + Paquet::polices(reverie)
                                 + QStringList{Paquet::principal() + QStringLiteral("/InstrumentSerif-Regular.ttf")}) {
        QRawFont police(f, 20);
        ASSERT_TRUE(police.isValid()) << f.toStdString();
        for (QChar c : QStringLiteral("àâçéèêëîïôœùûüÿÉÀ«»’"))
            EXPECT_TRUE(police.supportsCharacter(c)) << f.toStdString() << " " << QString(c).toStdString();
    }
    // The design system's faces have a weight axis: the 'fvar' table is there.
    for (const QString& f : Paquet::polices(ui) + QStringList{reverie + QStringLiteral("/InstrumentSans-Variable.ttf")})
        EXPECT_FALSE(QRawFont(f, 20).fontTable("fvar").isEmpty()) << f.toStdString();
}

TEST(Polices, ChaqueDossierDePolicesPorteSaLicence)
{
    for (const QString& d : {Paquet::module(QStringLiteral("Tessel_TesselUI.bundle")) + QStringLiteral("/Fonts"),
                             Paquet::module(QStringLiteral("Tessel_TesselReverie.bundle")) + QStringLiteral("/Polices"),
                             Paquet::principal()}) {
        const QStringList licences = QDir(d).entryList({QStringLiteral("*OFL*.txt")});
        EXPECT_FALSE(licences.isEmpty()) << d.toStdString();
    }
}

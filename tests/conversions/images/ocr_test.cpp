// Text recognition through the dispatcher and on images in memory.

#include "conversions/images/images_fabrique.h"

#include "conversions/images/Images.h"

#include <thread>

using namespace Conversions;
using namespace essais;

namespace {

QImage page(const QStringList& lignes, QImage::Format format = QImage::Format_RGB32)
{
    QImage i(1400, 120 + 110 * static_cast<int>(lignes.size()), format);
    i.fill(format == QImage::Format_ARGB32 ? QColor(Qt::transparent) : QColor(Qt::white));
    QPainter p(&i);
    p.setFont(grande(56));
    for (int k = 0; k < lignes.size(); ++k)
        p.drawText(60, 120 + 110 * k, lignes[k]);
    return i;
}

} // namespace

// Lines kept apart without a final break, accents, black text on transparent (read as black on
// black unless flattened onto white first).
TEST(Ocr, LignesAccentsEtTexteSurTransparent)
{
    Dossier d;
    const QString txt = convertirSeul(ecrire(d, "note.png", page({"Bonjour le monde", "Rendez-vous demain 14h30"})), "ocr");
    EXPECT_EQ(txt, d.chemin("note.txt"));
    EXPECT_EQ(QString::fromUtf8(lire(txt)), "Bonjour le monde\nRendez-vous demain 14h30");
    EXPECT_EQ(lireTexte(page({"Élève à l'été, garçon"})), "Élève à l'été, garçon");
    EXPECT_EQ(lireTexte(page({"Transparence"}, QImage::Format_ARGB32)), "Transparence");
}

TEST(Ocr, ImageSansTexteEchoueSansFichier)
{
    const QList<std::pair<QString, QImage>> cas{{"capture.png", disque(600, 600)}, {"bruit.png", texture(500, 400, 9)}};
    for (const auto& [nom, image] : cas) {
        Dossier d;
        echoue(d, {ecrire(d, nom, image)}, "ocr", {"Aucun texte dans « " + nom + " »"});
    }
}

// One engine per thread: several pages read at once give each its own text.
TEST(Ocr, PlusieursFilsEnMemeTemps)
{
    constexpr int fils = 4;
    std::vector<QString> textes(fils);
    std::vector<std::thread> travail;
    for (int n = 0; n < fils; ++n)
        travail.emplace_back([&textes, n] {
            for (int tour = 0; tour < 2; ++tour)
                textes[n] += lireTexte(page({QStringLiteral("Page numero %1").arg(n + 1)}));
        });
    for (auto& t : travail)
        t.join();
    for (int n = 0; n < fils; ++n)
        EXPECT_EQ(textes[n], QStringLiteral("Page numero %1").arg(n + 1).repeated(2));
}

// The self-test's invoice, scanned turned a quarter, a half or three quarters of a turn:
// read as upright once its orientation is found.
TEST(Ocr, PageTourneeLueDroite)
{
    QImage facture(1200, 500, QImage::Format_RGB32);
    facture.fill(Qt::white);
    {
        QPainter p(&facture);
        QFont police(QStringLiteral("Helvetica"));
        police.setPixelSize(54);
        p.setFont(police);
        p.setPen(Qt::black);
        p.drawText(QRect(60, 40, 1100, 420), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                   QStringLiteral("Facture n° 2026-118\nMandarine et Clémentine\nTotal : 149,00 €"));
    }
    const QString droite = lireTexte(facture);
    ASSERT_EQ(droite, "Facture n° 2026-118\nMandarine et Clémentine\nTotal : 149,00 €");
    for (const int degres : {90, 180, 270}) {
        const QImage tournee = facture.transformed(QTransform().rotate(degres));
        EXPECT_EQ(lireTexte(tournee), droite) << degres;
    }
    // Through the dispatcher: the picture upside down, and the scanned PDF made of it.
    Dossier d;
    const QString png = ecrire(d, "scan.png", facture.transformed(QTransform().rotate(180)));
    EXPECT_EQ(QString::fromUtf8(lire(convertirSeul(png, "ocr"))), droite);
    EXPECT_EQ(QString::fromUtf8(lire(convertirSeul(convertirSeul(png, "pdf"), "txt"))), droite);
}

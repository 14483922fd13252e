// The tool windows' plain geometry: window height and placement, the crop frame.
#include "fenetres/rogner/modele/Cadre.h"
#include "fenetres/commun/modele/Placement.h"

#include <gtest/gtest.h>

namespace {

void PrintTo(const QRectF& r, std::ostream* os)
{
    *os << "(" << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << ")";
}

const QSizeF photo(4000, 3000);

} // namespace

TEST(Placement, HauteurEtPosition)
{
    // Fitting height: small content keeps the asked height; taller content its own, up to +120.
    EXPECT_EQ(Placement::hauteur(150, 600), 600);
    EXPECT_EQ(Placement::hauteur(200, 600), 600);
    EXPECT_EQ(Placement::hauteur(650, 600), 650);
    EXPECT_EQ(Placement::hauteur(900, 600), 720);

    const QRectF ecran(0, 0, 1280, 770);  // a panel below, y growing downwards
    const struct {
        QPointF pointeur;
        QSizeF taille;
        QPointF attendu;
    } cas[] = {
        {{640, 385}, {620, 600}, {330, 85}},           // centred on the pointer
        {{1180, 385}, {620, 600}, {1280 - 12 - 620, 85}},  // 100 from the right edge
        {{640, 760}, {620, 506}, {330, 770 - 12 - 506}},   // near the bottom: above the panel
        {{10, 5}, {620, 506}, {12, 12}},                // top-left corner
        {{640, 385}, {620, 900}, {330, 12}},            // taller than the area: the top stays
    };
    for (const auto& c : cas)
        EXPECT_EQ(Placement::origine(c.pointeur, c.taille, ecran), c.attendu) << c.pointeur.x() << "," << c.pointeur.y();
    EXPECT_EQ(Placement::origine({5000, 5000}, {620, 600}, std::nullopt), QPointF(0, 0));

    // A window given another size: wider about its middle, its top kept, 12 points inside the
    // area; never larger than the area less its margins.
    const struct {
        QRectF avant;
        QSizeF taille;
        QRectF attendu;
    } retailles[] = {
        {{330, 85, 620, 506}, {800, 506}, {240, 85, 800, 506}},
        {{648, 252, 620, 506}, {800, 506}, {1280 - 12 - 800, 252, 800, 506}},  // against the right edge
        {{12, 85, 620, 506}, {800, 506}, {12, 85, 800, 506}},                  // against the left edge
        {{330, 252, 620, 506}, {620, 560}, {330, 770 - 12 - 560, 620, 560}},   // taller near the bottom
        {{330, 85, 620, 506}, {2000, 506}, {12, 85, 1256, 506}},               // wider than the area
    };
    for (const auto& r : retailles)
        EXPECT_EQ(Placement::retaille(r.avant, r.taille, ecran), r.attendu) << r.taille.width();
    EXPECT_EQ(Placement::retaille({100, 50, 620, 500}, {700, 500}, std::nullopt), QRectF(60, 50, 700, 500));

    // Widened by an odd width then narrowed back, again and again: the window stays where it was.
    for (const double plus : {1.0, 7.0, 173.0}) {
        QRectF r(292, 85, 620, 506);
        for (int i = 0; i < 3; ++i) {
            r = Placement::retaille(r, {620 + plus, 506}, ecran);
            r = Placement::retaille(r, {620, 506}, ecran);
        }
        EXPECT_EQ(r, QRectF(292, 85, 620, 506)) << plus;
    }
}

TEST(Cadre, FormatsSurUnePhoto)
{
    const QRectF tout(0, 0, 4000, 3000);
    const auto ratio = [](int f) { return Cadre::ratio(f, photo); };
    const struct {
        QRectF depart;
        int format;
        QRectF attendu;
    } cas[] = {
        {tout, 1, {500, 0, 3000, 3000}},
        {tout, 3, {1156.25, 0, 1687.5, 3000}},
        {tout, 5, tout},
        {tout, 0, tout},
        {{1156.25, 0, 1687.5, 3000}, 4, {1029.6875, 954.19921875, 1940.625, 1091.6015625}},
        {{1000, 1000, 2000, 500}, 1, {1022.5, 272.5, 1955, 1955}},
    };
    for (const auto& c : cas)
        EXPECT_EQ(Cadre::appliquerRatio(c.depart, photo, ratio(c.format)), c.attendu) << "format " << c.format;
    EXPECT_EQ(Cadre::ratio(5, std::nullopt), 1.0);  // "Original" before the photo is read
    EXPECT_EQ(Cadre::ratio(0, photo), std::nullopt);
    EXPECT_EQ(Cadre::formats().size(), 6);
}

TEST(Cadre, Glisser)
{
    const QRectF tout(0, 0, 4000, 3000);
    const std::optional<double> libre, carre = 1.0;
    EXPECT_EQ(Cadre::coteMinimum(photo), 120);
    EXPECT_EQ(Cadre::coteMinimum({200, 150}), 16);
    const struct {
        const char* element;
        QRectF depart;
        QPointF delta;
        QSizeF image;
        std::optional<double> r;
        QRectF attendu;
    } cas[] = {
        // the left edge stops 16 pixels before the right one
        {"g", {0, 0, 200, 150}, {500, 0}, {200, 150}, libre, {184, 0, 16, 150}},
        // free: the right edge stops at the photo's border
        {"d", {0, 0, 3000, 3000}, {5000, 0}, photo, libre, tout},
        // the whole frame stops against a border and keeps its size
        {"tout", {1000, 1000, 1000, 1000}, {-5000, 9000}, photo, libre, {0, 2000, 1000, 1000}},
        // square: the top edge up grows it to the right, its bottom stays
        {"h", {500, 1000, 1000, 1000}, {0, -500}, photo, carre, {500, 500, 1500, 1500}},
        // square: the left edge grows it downwards, its right edge stays
        {"g", {1500, 500, 1000, 1000}, {-500, 0}, photo, carre, {1000, 500, 1500, 1500}},
        // square: the top-left corner keeps the bottom-right corner in place
        {"hg", {1500, 1500, 1000, 1000}, {-500, -300}, photo, carre, {1000, 1000, 1500, 1500}},
        // a frame a format made narrower than the minimum side on a 3 × 2 picture: no edge
        // pushes it out of the picture, an edge dragged outwards still widens it
        {"g", {0.5, 0, 2, 2}, {1, 0}, {3, 2}, libre, {0.5, 0, 2, 2}},
        {"hg", {0.5, 0, 2, 2}, {1, 1}, {3, 2}, libre, {0.5, 0, 2, 2}},
        {"d", {0.5, 0, 2, 2}, {-1, 0}, {3, 2}, libre, {0.5, 0, 2, 2}},
        {"g", {0.5, 0, 2, 2}, {-1, 0}, {3, 2}, libre, {0, 0, 2.5, 2}},
        {"h", {0, 0.5, 2, 2}, {0, 1}, {2, 3}, libre, {0, 0.5, 2, 2}},
        {"b", {0, 0.5, 2, 2}, {0, 5}, {2, 3}, libre, {0, 0.5, 2, 2.5}},
    };
    for (const auto& c : cas)
        EXPECT_EQ(Cadre::glisser(QLatin1String(c.element), c.depart, c.delta, c.image, c.r), c.attendu) << c.element;
}

TEST(Cadre, PoigneesTiersEtRegion)
{
    EXPECT_EQ(Cadre::depuisBrut(QStringLiteral("hg")), Cadre::Poignee::hg);
    for (const char* faux : {"HG", "", "tout", "x"})
        EXPECT_EQ(Cadre::depuisBrut(QLatin1String(faux)), std::nullopt) << faux;
    for (Cadre::Poignee p : Cadre::poignees())
        EXPECT_EQ(Cadre::depuisBrut(Cadre::brut(p)), p);

    // A frame 100 × 80 at (50, 40): corners 7 points in, edges on the frame.
    const QRectF R(50, 40, 100, 80);
    const struct {
        QPointF point;
        std::optional<Cadre::Poignee> attendu;
    } cas[] = {
        {{57, 47}, Cadre::Poignee::hg},
        {{143, 113}, Cadre::Poignee::bd},
        {{100, 40}, Cadre::Poignee::h},
        {{150, 80}, Cadre::Poignee::d},
        {{100, 80}, std::nullopt},  // the inside belongs to the frame
        {{10, 10}, std::nullopt},
    };
    for (const auto& c : cas)
        EXPECT_EQ(Cadre::sous(c.point, R), c.attendu) << c.point.x() << "," << c.point.y();
    // On a small frame the top bar's area and the corner's overlap: the bar, painted later,
    // takes the click.
    EXPECT_EQ(Cadre::sous({65, 40}, QRectF(50, 40, 40, 40)), Cadre::Poignee::h);

    const auto t = Cadre::tiers(QRectF(0, 0, 300, 150));
    EXPECT_EQ(t[0], QLineF(100, 0, 100, 150));
    EXPECT_EQ(t[1], QLineF(0, 50, 300, 50));
    EXPECT_EQ(t[2], QLineF(200, 0, 200, 150));
    EXPECT_EQ(t[3], QLineF(0, 100, 300, 100));

    EXPECT_EQ(Cadre::region({1156.25, 0.5, 1687.5, 2999.2}, {4000, 3000}), QRect(1156, 0, 1688, 3000));
    // Outside the photo, the region is what of it lies inside.
    EXPECT_EQ(Cadre::region({-3, -3, 10, 10}, {4000, 3000}), QRect(0, 0, 7, 7));
    EXPECT_EQ(Cadre::region({3995.4, 10, 10, 10}, {4000, 3000}), QRect(3995, 10, 5, 10));
    EXPECT_EQ(Cadre::region({-5, -5, 5000, 4000}, {4000, 3000}), QRect(0, 0, 4000, 3000));
}

// The pixels written for a frame: every pixel the frame touches, its edges rounded outwards,
// the badge showing that size.
TEST(Cadre, RegionEcriteAuFormatExact)
{
    const struct {
        QRectF c;
        QSize image;
        QRect attendu;
    } cas[] = {
        {{10.5, 20.5, 300, 300}, {800, 600}, {10, 20, 301, 301}},
        {{0, 0.3, 640, 360}, {1280, 720}, {0, 0, 640, 361}},
        {{10.6, 5.7, 268.4, 181.3}, {400, 300}, {10, 5, 269, 182}},
        {{0.49, 0.51, 299.5, 299.5}, {300, 300}, {0, 0, 300, 300}},       // cut at the photo's edge
        {{1156.25, 0, 1687.5, 3000}, {4000, 3000}, {1156, 0, 1688, 3000}}, // 9:16 from the whole photo
        {{1029.6875, 954.19921875, 1940.625, 1091.6015625}, {4000, 3000}, {1029, 954, 1942, 1092}},
    };
    for (const auto& k : cas)
        EXPECT_EQ(Cadre::region(k.c, k.image), k.attendu) << k.c.x() << "," << k.c.y();

    // Every format, from frames with fractional edges on photos of odd sizes: the frame keeps
    // the values the reshaping gives, only the written pixels are whole; they hold the whole
    // frame, inside the photo, less than two pixels more a side.
    const QSize photos[] = {{4000, 3000}, {3001, 4003}, {641, 359}, {1919, 1081}};
    const QRectF departs[] = {{0, 0, 1, 1}, {0.3, 0.7, 0.55, 0.45}, {0.12, 0.2, 0.33, 0.61}};
    for (const QSize& image : photos) {
        for (int f = 1; f < Cadre::formats().size(); ++f) {
            const double r = *Cadre::ratio(f, QSizeF(image));
            for (const QRectF& d : departs) {
                const QRectF depart(d.x() * image.width(), d.y() * image.height(), d.width() * image.width(),
                                    d.height() * image.height());
                const QRectF c = Cadre::appliquerRatio(depart, QSizeF(image), r);
                ASSERT_NEAR(c.width() / c.height(), r, 1e-9);
                const QRect z = Cadre::region(c, image);
                const QString ou = QStringLiteral("%1x%2 format %3").arg(image.width()).arg(image.height()).arg(f);
                EXPECT_TRUE(QRect(QPoint(0, 0), image).contains(z)) << ou.toStdString();
                EXPECT_TRUE(QRectF(z).adjusted(-1e-6, -1e-6, 1e-6, 1e-6).contains(c)) << ou.toStdString();
                EXPECT_LT(z.width(), c.width() + 2) << ou.toStdString();
                EXPECT_LT(z.height(), c.height() + 2) << ou.toStdString();
            }
        }
    }
}

// A photo smaller than the minimum side: every handle leaves the frame inside the photo, at
// most as large as its sides, so each handle stays within reach on the canvas.
TEST(Cadre, PhotoPlusPetiteQueLeCoteMinimum)
{
    const QSizeF minuscule(3, 2);
    const QRectF tout(QPointF(0, 0), minuscule);
    const std::optional<double> libre, carre = 1.0;
    for (const char* element : {"g", "d", "h", "b", "hg", "hd", "bg", "bd"})
        for (const QPointF delta : {QPointF(5, 4), QPointF(-5, -4), QPointF(1, 1), QPointF(-1, 0)})
            for (const auto& r : {libre, carre}) {
                const QRectF c = Cadre::glisser(QLatin1String(element), tout, delta, minuscule, r);
                const QString quoi = QStringLiteral("%1 by (%2, %3)").arg(element).arg(delta.x()).arg(delta.y());
                EXPECT_TRUE(tout.contains(c)) << quoi.toStdString() << " gives " << c.x() << ", " << c.y() << ", "
                                              << c.width() << " × " << c.height();
                EXPECT_GE(c.width(), 0) << quoi.toStdString();
                EXPECT_GE(c.height(), 0) << quoi.toStdString();
            }
    // Free, dragged inwards: there is no room to shrink it, so the frame stays on the photo.
    EXPECT_EQ(Cadre::glisser(QStringLiteral("g"), tout, {5, 0}, minuscule, libre), tout);
    EXPECT_EQ(Cadre::glisser(QStringLiteral("h"), tout, {0, 5}, minuscule, libre), tout);
    // On a strip of 10 × 400, only the short side is bounded by the photo.
    EXPECT_EQ(Cadre::glisser(QStringLiteral("hg"), {0, 0, 10, 400}, {50, 500}, {10, 400}, libre),
              QRectF(0, 384, 10, 16));
}

// The pixels a frame takes, whatever the formats chosen before: its edges rounded outwards,
// never a side of nothing, even on a photo of one pixel.
TEST(Cadre, RegionApresUneSuiteDeFormats)
{
    const struct {
        QSize photo;
        QList<int> formats;
        QSize attendue;
    } cas[] = {
        {{1600, 1200}, {3, 4}, {778, 438}},        // « 9:16 » then « 16:9 »
        {{4000, 3000}, {3, 4}, {1942, 1092}},
        {{1, 1}, {1, 2, 3, 4}, {1, 1}},            // « Carré », « 4:5 », « 9:16 », « 16:9 »
        {{500, 1}, {1, 2, 3, 4}, {2, 1}},
        {{1, 500}, {4, 3, 1}, {1, 2}},             // a square across two rows
    };
    for (const auto& c : cas) {
        const QSizeF taille(c.photo);
        QRectF cadre(QPointF(0, 0), taille);
        for (int f : c.formats)
            cadre = Cadre::appliquerRatio(cadre, taille, Cadre::ratio(f, taille));
        const QRect z = Cadre::region(cadre, c.photo);
        EXPECT_EQ(z.size(), c.attendue) << c.photo.width() << "x" << c.photo.height();
        EXPECT_TRUE(QRect(QPoint(0, 0), c.photo).contains(z));
    }
    EXPECT_EQ(Cadre::region({0.2, 0.2, 0, 0}, {10, 10}), QRect(0, 0, 1, 1));
    EXPECT_EQ(Cadre::region({10, 10, 0, 0}, {10, 10}), QRect(9, 9, 1, 1));
    EXPECT_TRUE(Cadre::region({0, 0, 1, 1}, {0, 0}).isEmpty());  // no photo yet
}

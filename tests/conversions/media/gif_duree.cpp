// The GIF of a video lasts as long as the video, although a GIF counts delays in whole
// hundredths: read back frame by frame by ffprobe.

#include "conversions/media/Gif.h"
#include "conversions/media_outils.h"

#include <algorithm>
#include <numeric>

using namespace Conversions;

namespace {

// Each frame's delay in hundredths, as ffprobe reads it (a GIF's time base is 1/100).
std::vector<int> delais(const QString& gif)
{
    QString sortie;
    EXPECT_EQ(executer("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries", "packet=duration", "-of",
                                   "csv=p=0", gif},
                       &sortie),
              0);
    std::vector<int> d;
    for (const QString& ligne : sortie.split('\n', Qt::SkipEmptyParts))
        d.push_back(ligne.trimmed().toInt());
    return d;
}

} // namespace

// 12 frames a second below 25 s, 300 frames in all above: 8 and 9 hundredths in turn, then
// 300 / duration; whatever the rate, the sum stays on the video's length.
TEST(GifDuree, laDureeDuGifEstCelleDeLaVideoAuCentiemePres)
{
    const struct { double secondes; int images; int plusCourt; int plusLong; } cas[] = {
        {14.0, 168, 8, 9}, {37.0, 300, 12, 13}, {4.32, 51, 8, 9}};
    for (const auto& c : cas) {
        SCOPED_TRACE(c.secondes);
        Dossier d;
        const QString source = d.chemin("clip.mp4");
        ASSERT_TRUE(ffmpeg(QStringList{"-f", "lavfi", "-i",
                                       QStringLiteral("testsrc=r=25:s=96x64:d=%1").arg(c.secondes)} + x264,
                           source));
        const double video = duree(sonde(source));
        ASSERT_NEAR(video, c.secondes, 0.005);
        const QString cree = gif(source, d.racine(), "clip", {});
        EXPECT_NEAR(duree(sonde(cree)), video, 0.0101);
        const std::vector<int> d100 = delais(cree);
        ASSERT_EQ(static_cast<int>(d100.size()), c.images);
        EXPECT_EQ(std::accumulate(d100.begin(), d100.end(), 0), std::lround(video * 100));
        // Every frame but the last one, which runs to the video's end, lasts 1 / rate rounded
        // one way or the other, the longer ones spread out: never two in a row at 12 a second.
        EXPECT_EQ(*std::min_element(d100.begin(), d100.end() - 1), c.plusCourt);
        EXPECT_EQ(*std::max_element(d100.begin(), d100.end() - 1), c.plusLong);
        for (size_t i = 1; i + 1 < d100.size() && c.plusCourt == 8; ++i)
            EXPECT_FALSE(d100[i] == 9 && d100[i - 1] == 9) << i;
    }
}

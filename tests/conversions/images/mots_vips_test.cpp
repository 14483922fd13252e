// libvips' words for the log: one line, each message once, in the order met. Every thread
// of a failing pipeline adds its own line to libvips' buffer, often the same.
#include "conversions/images/Vips.h"

#include <gtest/gtest.h>

TEST(MotsDeVips, UneLigneChaqueMessageUneFois)
{
    const struct {
        const char* brut;
        const char* ligne;
    } cas[] = {
        {"gif: annulée\ngif: annulée\ngif: annulée\n", "gif: annulée"},
        {"VipsJpeg: Premature end\njpegload: out of order read\nVipsJpeg: Premature end\n",
         "VipsJpeg: Premature end | jpegload: out of order read"},
        {"  pngsave: write error  \n\n", "pngsave: write error"},
        {"", ""},
    };
    Conversions::vipsPret();  // its buffer is emptied too
    for (const auto& c : cas)
        EXPECT_EQ(Conversions::motsDeVips(vips::VError(c.brut)).toStdString(), c.ligne) << c.brut;
}

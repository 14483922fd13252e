// Grey TGAs of 16 bits a pixel, raw or in runs, read by our own decoder before libav's.
#include "Cible.h"

#include "conversions/images/TgaGris.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    const QByteArrayView octets(donnees, static_cast<qsizetype>(taille));
    const std::optional<QSize> dimensions = Conversions::tgaGrisAlpha(octets);
    // A small guard, as the engine's: the fuzzer must not spend its memory on one picture.
    if (!dimensions || qint64(dimensions->width()) * dimensions->height() > (1 << 22))
        return 0;
    std::vector<uint8_t> pixels(size_t(dimensions->width()) * size_t(dimensions->height()) * 2);
    Conversions::decoderTgaGrisAlpha(octets, pixels.data());
    return 0;
}

// BMPs of bit fields, read by our own decoder before Qt's.
#include "Cible.h"

#include "conversions/images/BmpChamps.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    const QByteArrayView octets(donnees, static_cast<qsizetype>(taille));
    if (!Conversions::bmpAChamps(octets))
        return 0;
    // A small guard, as the engine's: the fuzzer must not spend its memory on one picture.
    const QImage image = Conversions::decoderBmpAChamps(octets, 1 << 22);
    if (!image.isNull() && (image.width() <= 0 || image.height() <= 0))
        std::abort();
    return 0;
}

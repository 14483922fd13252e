// The Ogg Opus page walk that sets a copied passage's pre-skip and granule positions. The
// first two bytes pick the passage (samples to drop, samples to keep); the rest is the file.
#include "Cible.h"

#include "fenetres/retouches/OggOpus.h"

#include <QBuffer>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    if (taille < 2)
        return 0;
    QByteArray octets = fuzz::octets(donnees + 2, taille - 2);
    QBuffer f(&octets);
    f.open(QIODevice::ReadWrite);
    try {
        OggOpus::rogner(f, qint64(donnees[0]) * 300, qint64(donnees[1]) * 4800);
    } catch (const std::runtime_error&) {
        // a refusal is expected
    }
    return 0;
}

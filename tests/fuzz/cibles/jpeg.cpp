// The JPEG marker reader that decides whether a PDF page carries the file's own bytes.
#include "Cible.h"

#include "conversions/pdf/PdfJpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille)
{
    Conversions::lireJpeg(fuzz::octets(donnees, taille));
    return 0;
}

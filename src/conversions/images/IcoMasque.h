#pragma once

#include <QByteArrayView>
#include <QImage>

namespace Conversions {

// An icon stored as a bitmap of fewer than 32 bits keeps its transparency in its AND mask
// alone: picture `indice` of the icon file `fichier`, read into `image`, is made transparent
// where that mask says so. Left as it is when the picture is a PNG, holds its own alpha, or its
// mask does not match it or lies past the file's end.
QImage avecMasqueIco(QImage image, QByteArrayView fichier, int indice);

} // namespace Conversions

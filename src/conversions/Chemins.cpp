#include "conversions/Chemins.h"

#include <QStringDecoder>

namespace Conversions {

QByteArray nomEnUtf8(const QByteArray& octets)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString essai = utf8.decode(octets);  // only its errors matter
    return utf8.hasError() ? QString::fromLatin1(octets).toUtf8() : octets;
}

} // namespace Conversions

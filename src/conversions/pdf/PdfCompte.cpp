#include "conversions/pdf/PdfCompte.h"

#include <QFile>

#include <qpdf/QPDF.hh>

#include <algorithm>
#include <limits>

namespace Conversions {

int compterPagesPdf(const QString& chemin)
{
    // qpdf reads the page tree's own count, sharing nothing with the drawing of pages, so
    // a drag never waits behind a page being drawn.
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        document.processFile(QFile::encodeName(chemin).constData());
        QPDFObjectHandle compte = document.getRoot().getKey("/Pages").getKey("/Count");
        if (compte.isInteger() && compte.getIntValue() > 0)
            return static_cast<int>(std::min<long long>(compte.getIntValue(), std::numeric_limits<int>::max()));
        return static_cast<int>(document.getAllPages().size());
    } catch (const std::exception&) {
        return 0;  // unreadable or locked: no page to split
    }
}

} // namespace Conversions

#include "conversions/pdf/PdfCompte.h"

#include "conversions/Chemins.h"

#include <QFileInfo>

#include <qpdf/QPDF.hh>

#include <algorithm>
#include <limits>

namespace Conversions {

int pagesDeclarees(const QString& chemin)
{
    if (!QFileInfo(chemin).isFile())
        return 0;
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        // A broken cross-reference table would send qpdf through the whole file.
        document.setAttemptRecovery(false);
        document.processFile(local(chemin).constData());
        QPDFObjectHandle pages = document.getRoot().getKey("/Pages");
        QPDFObjectHandle compte = pages.isDictionary() ? pages.getKey("/Count") : QPDFObjectHandle::newNull();
        if (compte.isInteger() && compte.getIntValue() > 0)
            return static_cast<int>(std::min<long long>(compte.getIntValue(), std::numeric_limits<int>::max()));
    } catch (const std::exception&) {
        // Damaged, locked or unreadable: a drag entry only loses « Séparer », and the
        // conversions say why when they are asked for.
    }
    return 0;
}

} // namespace Conversions

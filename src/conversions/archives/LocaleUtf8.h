#pragma once

#include "conversions/travail/LocaleDuFil.h"

namespace Conversions {

// Entry names are UTF-8 whatever the user's locale: libarchive converts them through a
// UTF-8 LC_CTYPE, set for this thread only while this lives.
class LocaleUtf8 : public LocaleDuFil {
public:
    LocaleUtf8() : LocaleDuFil(LC_CTYPE_MASK, "C.UTF-8") {}
};

} // namespace Conversions

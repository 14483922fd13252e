#pragma once

#include <clocale>
#include <locale.h>

namespace Conversions {

// A locale set for this thread only while this lives, the rest of the process untouched.
// When the locale cannot be made, the thread keeps its own.
class LocaleDuFil {
public:
    LocaleDuFil(int categories, const char* nom)
        : locale_(newlocale(categories, nom, static_cast<locale_t>(nullptr)))
    {
        if (locale_)
            avant_ = uselocale(locale_);
    }
    ~LocaleDuFil()
    {
        if (!locale_)
            return;
        uselocale(avant_);
        freelocale(locale_);
    }
    LocaleDuFil(const LocaleDuFil&) = delete;
    LocaleDuFil& operator=(const LocaleDuFil&) = delete;

private:
    locale_t locale_;
    locale_t avant_ = LC_GLOBAL_LOCALE;
};

} // namespace Conversions

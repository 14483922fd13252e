#pragma once

#include <clocale>

namespace Conversions {

// Entry names are UTF-8 whatever the user's locale: libarchive converts them through a
// UTF-8 LC_CTYPE, set for this thread only while this lives.
class LocaleUtf8 {
public:
    LocaleUtf8()
        : locale_(newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr)))
    {
        if (locale_)
            avant_ = uselocale(locale_);
    }
    ~LocaleUtf8()
    {
        if (!locale_)
            return;
        uselocale(avant_);
        freelocale(locale_);
    }
    LocaleUtf8(const LocaleUtf8&) = delete;
    LocaleUtf8& operator=(const LocaleUtf8&) = delete;

private:
    locale_t locale_;
    locale_t avant_ = LC_GLOBAL_LOCALE;
};

} // namespace Conversions

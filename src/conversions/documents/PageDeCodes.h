#pragma once

#include <QByteArray>
#include <QString>

#include <iconv.h>

namespace Conversions {

struct PageMac;

// Bytes of a Windows (or Mac) code page to text, as old RTF files write them.
// Bytes that do not decode become U+FFFD.
class PageDeCodes {
public:
    explicit PageDeCodes(int numero);
    ~PageDeCodes();
    PageDeCodes(const PageDeCodes&) = delete;
    PageDeCodes& operator=(const PageDeCodes&) = delete;

    int numero() const { return numero_; }
    QString decoder(const QByteArray& octets) const;

    // `numero` when it is one we decode, else 1252 (Western), which unknown pages read as.
    static int reconnue(int numero);

    // The code page of an RTF font's \fcharset (0, ANSI, is Western); 0 for the default
    // character set, symbol fonts and unknown sets, which read in the document's code page.
    static int duJeuDeCaracteres(int fcharset);

private:
    // A byte that iconv refuses, or any byte of an Apple single-byte page: its character, else U+FFFD.
    QString seul(unsigned char octet) const;
    // Where the next byte at or after `depuis` that Apple's table holds lies; the end when none.
    qsizetype apple(const QByteArray& octets, qsizetype depuis) const;
    // Converts [debut, fin) onto `texte`, each byte iconv refuses through seul(). When `fin` cuts
    // a character short and more bytes follow (not `dernier`), stops where it starts.
    // Gives how many bytes it read.
    qsizetype convertir(char* debut, char* fin, bool dernier, QString& texte) const;
    // Whether iconv reads [debut, fin) whole; its text then goes onto `texte`, if given.
    bool entier(char* debut, char* fin, QString* texte) const;

    int numero_;
    const PageMac* mac_;
    iconv_t conv_ = reinterpret_cast<iconv_t>(-1);
};

} // namespace Conversions

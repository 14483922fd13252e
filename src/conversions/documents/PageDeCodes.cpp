#include "conversions/documents/PageDeCodes.h"

#include "conversions/documents/PagesMac.h"

#include <cerrno>

namespace Conversions {

namespace {

bool connue(int numero)
{
    return pageMac(numero) || numero == 65001 || numero == 936 || numero == 950 || numero == 437
        || numero == 850 || numero == 852 || numero == 866 || numero == 874 || numero == 932 || numero == 949
        || (numero >= 1250 && numero <= 1258);
}

QByteArray nomIconv(int numero)
{
    if (const PageMac* mac = pageMac(numero); mac && mac->iconv)
        return mac->iconv;
    switch (numero) {
    case 65001: return "UTF-8";
    case 936: return "GBK";
    case 950: return "BIG5";
    default: break;
    }
    return connue(numero) ? "CP" + QByteArray::number(numero) : QByteArray("CP1252");
}

} // namespace

PageDeCodes::PageDeCodes(int numero) : numero_(numero), mac_(pageMac(numero))
{
    // An Apple single-byte page reads through its own table.
    if (mac_ && !mac_->iconv)
        return;
    conv_ = iconv_open("UTF-16LE", nomIconv(numero).constData());
    if (conv_ == reinterpret_cast<iconv_t>(-1))
        conv_ = iconv_open("UTF-16LE", "CP1252");
}

PageDeCodes::~PageDeCodes()
{
    if (conv_ != reinterpret_cast<iconv_t>(-1))
        iconv_close(conv_);
}

QString PageDeCodes::seul(unsigned char octet) const
{
    const char16_t* c = mac_ && octet >= 0x80 ? mac_->octets[octet - 0x80] : nullptr;
    return c ? QString::fromUtf16(c) : QString(QChar::ReplacementCharacter);
}

QString PageDeCodes::decoder(const QByteArray& octets) const
{
    if (conv_ == reinterpret_cast<iconv_t>(-1)) {
        if (!mac_)
            return QString::fromLatin1(octets);
        QString texte;
        texte.reserve(octets.size());
        for (const char o : octets) {
            const auto octet = static_cast<unsigned char>(o);
            texte += octet < 0x80 ? QString(QChar(octet)) : seul(octet);
        }
        return texte;
    }
    // iconv's signature wants bytes it may write to; it reads them only.
    QByteArray entree = octets;
    char* const base = entree.data();
    const qsizetype n = entree.size();
    QString texte;
    texte.reserve(n);
    qsizetype i = 0;
    while (i < n) {
        // Apple's single bytes are characters of their own wherever a character starts; iconv
        // reads what lies between, and tells when one of them ends a double-byte character.
        const qsizetype fin = apple(entree, i);
        i += convertir(base + i, base + fin, fin == n, texte);
        if (i == n)
            break;
        if (i == fin)
            texte += seul(static_cast<unsigned char>(base[i++]));
        else if (entier(base + i, base + fin + 1, &texte))
            i = fin + 1;
        else
            texte += seul(static_cast<unsigned char>(base[i++]));  // a first half that nothing follows
    }
    // The Asian base sets let bytes 0x80 to 0x9F through as C1 controls: on a Mac they mean nothing.
    if (mac_)
        for (QChar& c : texte)
            if (c.unicode() >= 0x80 && c.unicode() <= 0x9F)
                c = QChar(QChar::ReplacementCharacter);
    return texte;
}

qsizetype PageDeCodes::apple(const QByteArray& octets, qsizetype depuis) const
{
    if (!mac_)
        return octets.size();
    for (qsizetype i = depuis; i < octets.size(); ++i) {
        const auto octet = static_cast<unsigned char>(octets[i]);
        if (octet >= 0x80 && mac_->octets[octet - 0x80])
            return i;
    }
    return octets.size();
}

qsizetype PageDeCodes::convertir(char* debut, char* fin, bool dernier, QString& texte) const
{
    iconv(conv_, nullptr, nullptr, nullptr, nullptr);
    char16_t tampon[1024];
    char* in = debut;
    size_t reste = static_cast<size_t>(fin - debut);
    while (reste > 0) {
        char* const avant = in;
        char* out = reinterpret_cast<char*>(tampon);
        size_t place = sizeof tampon;
        const size_t r = iconv(conv_, &in, &reste, &out, &place);
        const int erreur = errno;
        texte += QStringView(tampon, static_cast<qsizetype>((sizeof tampon - place) / 2));
        if (r != static_cast<size_t>(-1) || erreur == E2BIG)
            continue;
        if (erreur == EINVAL && !dernier)
            return in - debut;  // cut short by `fin`: the caller decides
        if (erreur == EILSEQ && in > avant && !entier(avant, in, nullptr)) {
            // Some converters step over the bytes they refuse: those bytes are one unknown character.
            texte += QChar(QChar::ReplacementCharacter);
        } else {
            // A byte that means nothing here, or a double-byte character cut short.
            texte += seul(static_cast<unsigned char>(*in));
            ++in;
            --reste;
        }
        iconv(conv_, nullptr, nullptr, nullptr, nullptr);
    }
    return fin - debut;
}

bool PageDeCodes::entier(char* debut, char* fin, QString* texte) const
{
    iconv(conv_, nullptr, nullptr, nullptr, nullptr);
    char16_t tampon[1024];
    QString lu;
    char* in = debut;
    size_t reste = static_cast<size_t>(fin - debut);
    while (reste > 0) {
        char* out = reinterpret_cast<char*>(tampon);
        size_t place = sizeof tampon;
        const size_t r = iconv(conv_, &in, &reste, &out, &place);
        const int erreur = errno;
        lu += QStringView(tampon, static_cast<qsizetype>((sizeof tampon - place) / 2));
        if (r == static_cast<size_t>(-1) && erreur != E2BIG) {
            iconv(conv_, nullptr, nullptr, nullptr, nullptr);
            return false;
        }
    }
    if (texte)
        *texte += lu;
    return true;
}

int PageDeCodes::reconnue(int numero) { return connue(numero) ? numero : 1252; }

int PageDeCodes::duJeuDeCaracteres(int fcharset)
{
    switch (fcharset) {
    case 0: return 1252;
    case 77: return 10000;
    case 78: return 10001;
    case 79: return 10003;
    case 80: return 10008;
    case 81: return 10002;
    case 83: return 10005;
    case 84: return 10004;
    case 85: return 10006;
    case 86: return 10081;
    case 87: return 10021;
    case 88: return 10029;
    case 89: return 10007;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return 0;
    }
}

} // namespace Conversions

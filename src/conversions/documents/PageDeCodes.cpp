#include "conversions/documents/PageDeCodes.h"

#include "conversions/documents/PagesMac.h"

#include <cerrno>
#include <vector>

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
    iconv(conv_, nullptr, nullptr, nullptr, nullptr);
    std::vector<char> sortie(static_cast<size_t>(octets.size()) * 4 + 8);
    QByteArray entree = octets;
    char* in = entree.data();
    size_t reste = static_cast<size_t>(entree.size());
    QString texte;
    while (reste > 0) {
        char* out = sortie.data();
        size_t place = sortie.size();
        const size_t r = iconv(conv_, &in, &reste, &out, &place);
        texte += QString::fromUtf16(reinterpret_cast<const char16_t*>(sortie.data()),
                                    static_cast<qsizetype>((sortie.size() - place) / 2));
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            // A byte that means nothing here (or alone, on an Apple page), or a double-byte
            // character cut short.
            texte += seul(static_cast<unsigned char>(*in));
            ++in;
            --reste;
            iconv(conv_, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return texte;
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

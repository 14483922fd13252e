#include "conversions/documents/Listes.h"

namespace Conversions {

namespace {

QString lettres(int n, char16_t a)
{
    QString s;
    for (; n > 0; n = (n - 1) / 26)
        s.prepend(QChar(static_cast<char16_t>(a + (n - 1) % 26)));
    return s;
}

QString romains(int n)
{
    // Past a few thousand, Roman numerals have no usual form: decimal then.
    if (n >= 4000)
        return QString::number(n);
    static const std::pair<int, const char*> valeurs[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"},
                                                         {100, "c"},   {90, "xc"},  {50, "l"},  {40, "xl"},
                                                         {10, "x"},    {9, "ix"},   {5, "v"},   {4, "iv"},
                                                         {1, "i"}};
    QString s;
    for (const auto& [valeur, chiffres] : valeurs)
        for (; n >= valeur; n -= valeur)
            s += QLatin1String(chiffres);
    return s;
}

} // namespace

Numerotation numerotationWord(QStringView f)
{
    if (f == u"bullet") return Numerotation::puce;
    if (f == u"lowerLetter") return Numerotation::lettres;
    if (f == u"upperLetter") return Numerotation::Lettres;
    if (f == u"lowerRoman") return Numerotation::romains;
    if (f == u"upperRoman") return Numerotation::Romains;
    if (f == u"none") return Numerotation::aucune;
    return Numerotation::decimal;  // decimal and the many forms we do not write
}

Numerotation numerotationOdt(QStringView f)
{
    if (f == u"a") return Numerotation::lettres;
    if (f == u"A") return Numerotation::Lettres;
    if (f == u"i") return Numerotation::romains;
    if (f == u"I") return Numerotation::Romains;
    if (f.isEmpty()) return Numerotation::aucune;
    return Numerotation::decimal;
}

QString numero(int n, Numerotation numerotation)
{
    n = qMax(1, n);
    switch (numerotation) {
    case Numerotation::decimal: return QString::number(n);
    case Numerotation::lettres: return lettres(n, u'a');
    case Numerotation::Lettres: return lettres(n, u'A');
    case Numerotation::romains: return romains(n);
    case Numerotation::Romains: return romains(n).toUpper();
    case Numerotation::puce:
    case Numerotation::aucune: break;
    }
    return {};
}

QString puce(const QString& donnee)
{
    const QString t = donnee.trimmed();
    if (t.isEmpty() || (t.front().unicode() >= 0xE000 && t.front().unicode() <= 0xF8FF))
        return QStringLiteral("•");
    return t.left(t.front().isHighSurrogate() ? 2 : 1);
}

QString marqueBornee(const QString& texte)
{
    if (texte.size() <= longueurDeMarque)
        return texte;
    // Never half of a character outside the basic plane.
    return texte.left(texte[longueurDeMarque - 1].isHighSurrogate() ? longueurDeMarque - 1 : longueurDeMarque);
}

QString retraitDeListe(int niveau) { return QString(4 * qBound(0, niveau, niveauxDeListe), QLatin1Char(' ')); }

} // namespace Conversions

#include "conversions/documents/OdtListes.h"

#include <QXmlStreamReader>

namespace Conversions {

namespace {

constexpr QStringView texteNs = u"urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr QStringView styleNs = u"urn:oasis:names:tc:opendocument:xmlns:style:1.0";

} // namespace

void ListesOdt::lireStyle(QXmlStreamReader& x)
{
    Style& style = styles_[x.attributes().value(styleNs.toString(), QLatin1String("name")).toString()];
    while (x.readNextStartElement()) {
        const auto a = x.attributes();
        const int niveau = a.value(texteNs.toString(), QLatin1String("level")).toInt() - 1;
        if (x.namespaceUri() == texteNs && niveau >= 0 && niveau < niveauxDeListe) {
            Niveau& v = style[static_cast<size_t>(niveau)];
            v = Niveau();
            if (x.name() == u"list-level-style-number") {
                v.numerotation = numerotationOdt(a.value(styleNs.toString(), QLatin1String("num-format")));
                v.prefixe = marqueBornee(a.value(styleNs.toString(), QLatin1String("num-prefix")).toString());
                v.suffixe = marqueBornee(a.value(styleNs.toString(), QLatin1String("num-suffix")).toString());
                if (a.hasAttribute(texteNs.toString(), QLatin1String("start-value")))
                    v.debut = qBound(0, a.value(texteNs.toString(), QLatin1String("start-value")).toInt(), 1 << 20);
                v.niveauxMontres = qBound(1, a.value(texteNs.toString(), QLatin1String("display-levels")).toInt(), niveau + 1);
            } else if (x.name() == u"list-level-style-bullet") {
                v.puce = a.value(texteNs.toString(), QLatin1String("bullet-char")).toString();
            } else {
                v.numerotation = Numerotation::aucune;  // pictures as bullets
            }
        }
        x.skipCurrentElement();
    }
}

void ListesOdt::ouvrir(const QString& style, bool suite)
{
    if (ouvertes_.empty() && !suite)
        compteurs_.fill(0);
    const int niveau = static_cast<int>(ouvertes_.size());
    if (!ouvertes_.empty() && (style.isEmpty() || style == ouvertes_.back().style))
        ouvertes_.push_back({ouvertes_.back().style, ouvertes_.back().premierNiveau});
    else
        ouvertes_.push_back({style, niveau});
}

void ListesOdt::fermer()
{
    if (!ouvertes_.empty())
        ouvertes_.pop_back();
}

QString ListesOdt::article()
{
    if (ouvertes_.empty())
        return {};
    const int niveau = qMin(static_cast<int>(ouvertes_.size()), niveauxDeListe) - 1;
    const int decalage = qMin(ouvertes_.back().premierNiveau, niveau);
    const Style style = styles_.value(ouvertes_.back().style);
    const Niveau& v = style[static_cast<size_t>(niveau - decalage)];
    auto& compte = compteurs_[static_cast<size_t>(niveau)];
    compte = compte == 0 ? v.debut : compte + 1;
    // A new item restarts the levels beneath it.
    for (int i = niveau + 1; i < niveauxDeListe; ++i)
        compteurs_[static_cast<size_t>(i)] = 0;
    QString texte;
    if (v.numerotation == Numerotation::puce) {
        texte = puce(v.puce);
    } else if (v.numerotation != Numerotation::aucune) {
        for (int i = qMax(decalage, niveau - v.niveauxMontres + 1); i <= niveau; ++i) {
            const Niveau& l = style[static_cast<size_t>(i - decalage)];
            texte += numero(qMax(1, compteurs_[static_cast<size_t>(i)]), l.numerotation);
            if (i < niveau)
                texte += QLatin1Char('.');
        }
        texte = v.prefixe + texte + v.suffixe;
    }
    return texte.isEmpty() ? QString() : retraitDeListe(niveau) + marqueBornee(texte);
}

} // namespace Conversions

#include "conversions/documents/Formules.h"

#include <QXmlStreamReader>

namespace Conversions {

namespace {

constexpr QStringView mathNs = u"http://www.w3.org/1998/Math/MathML";

// An annotation's encoding, with or without the math prefix.
QStringView encodage(const QXmlStreamReader& x)
{
    for (const QXmlStreamAttribute& a : x.attributes())
        if (a.name() == u"encoding")
            return a.value();
    return {};
}

} // namespace

void Formule::lire(const QXmlStreamReader& x)
{
    if (x.isStartElement() && x.namespaceUri() == mathNs) {
        if (x.name() == u"math")
            ++dansMath_;
        else if (dansMath_ && (dansAnnotation_ || x.name() == u"annotation" || x.name() == u"annotation-xml")) {
            if (dansAnnotation_++ == 0)
                source_ = x.name() == u"annotation" && encodage(x).startsWith(u"StarMath");
        }
    } else if (x.isEndElement() && x.namespaceUri() == mathNs) {
        if (dansAnnotation_)
            --dansAnnotation_;
        else if (x.name() == u"math" && dansMath_)
            --dansMath_;
    } else if (x.isCharacters() && dansMath_) {
        if (dansAnnotation_ && source_)
            annotation_ += x.text();
        else if (!dansAnnotation_)
            jetons_ += x.text().trimmed();
    }
}

QString Formule::texte() const
{
    const QString source = annotation_.simplified();
    return source.isEmpty() ? jetons_ : source;
}

QString Formule::deLaPartie(const QByteArray& xml)
{
    QXmlStreamReader x(xml);
    Formule f;
    while (!x.atEnd()) {
        x.readNext();
        f.lire(x);
    }
    return x.hasError() ? QString() : f.texte();
}

} // namespace Conversions

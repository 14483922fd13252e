#pragma once

#include <QByteArray>
#include <QString>

class QXmlStreamReader;

namespace Conversions {

// The text of a MathML formula, plainly, without its layout: the source its editor kept beside
// it (a StarMath annotation) when there is one, else the characters of its tokens in a row.
class Formule {
public:
    // Takes in the reader's current token; what lies outside a math element is left alone.
    void lire(const QXmlStreamReader& x);
    QString texte() const;

    // The formula of an embedded object's content.xml; empty when it holds none or is damaged.
    static QString deLaPartie(const QByteArray& xml);

private:
    int dansMath_ = 0;
    int dansAnnotation_ = 0;
    bool source_ = false;  // the annotation being read is the editor's source
    QString annotation_;
    QString jetons_;
};

} // namespace Conversions

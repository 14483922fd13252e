#include "conversions/documents/Lecteurs.h"

#include "conversions/documents/Assembleur.h"
#include "conversions/Erreur.h"
#include "conversions/JournalMoteur.h"
#include "conversions/documents/MiseEnForme.h"

#include <QHash>
#include <QXmlStreamReader>

namespace Conversions {

namespace {

const QString documentXml = QStringLiteral("word/document.xml");
const QString stylesXml = QStringLiteral("word/styles.xml");

bool estW(QStringView espace)
{
    return espace == u"http://schemas.openxmlformats.org/wordprocessingml/2006/main"
        || espace == u"http://purl.oclc.org/ooxml/wordprocessingml/main";
}

bool estW(const QXmlStreamReader& x) { return estW(x.namespaceUri()); }

QString attribut(const QXmlStreamReader& x, QStringView nom)
{
    for (const QXmlStreamAttribute& a : x.attributes())
        if (a.name() == nom && (a.namespaceUri().isEmpty() || estW(a.namespaceUri())))
            return a.value().toString();
    return {};
}

bool aAttribut(const QXmlStreamReader& x, QStringView nom)
{
    for (const QXmlStreamAttribute& a : x.attributes())
        if (a.name() == nom)
            return true;
    return false;
}

bool interrupteur(const QXmlStreamReader& x)
{
    return !aAttribut(x, u"val") || active(attribut(x, u"val"));
}

// The children of a w:rPr (the reader stands on its start); ends on its end.
MiseEnForme lireRPr(QXmlStreamReader& x, QString* styleDeCaractere = nullptr)
{
    MiseEnForme m;
    while (x.readNextStartElement()) {
        if (estW(x)) {
            const QStringView n = x.name();
            if (n == u"b")
                m.gras = interrupteur(x);
            else if (n == u"i")
                m.italique = interrupteur(x);
            else if (n == u"u")
                m.souligne = aAttribut(x, u"val") ? attribut(x, u"val") != u"none" : true;
            else if (n == u"sz") {
                bool ok = false;
                const double demiPoints = attribut(x, u"val").toDouble(&ok);
                if (ok && demiPoints > 0)
                    m.taille = demiPoints / 2;
            } else if (n == u"color") {
                const QString v = attribut(x, u"val");
                m.couleur = v == u"auto" ? QColor() : QColor(QLatin1Char('#') + v);
            } else if (n == u"rFonts") {
                QString police = attribut(x, u"ascii");
                if (police.isEmpty())
                    police = attribut(x, u"hAnsi");
                if (!police.isEmpty())
                    m.police = police;
            } else if (n == u"rStyle" && styleDeCaractere) {
                *styleDeCaractere = attribut(x, u"val");
            }
        }
        x.skipCurrentElement();
    }
    return m;
}

struct StyleW {
    QString base;
    MiseEnForme forme;
};

// word/styles.xml: the document's defaults and its named styles.
class Styles {
public:
    void lire(const QByteArray& xml)
    {
        QXmlStreamReader x(xml);
        while (!x.atEnd()) {
            if (x.readNext() != QXmlStreamReader::StartElement || !estW(x))
                continue;
            if (x.name() == u"rPrDefault") {
                while (x.readNextStartElement()) {
                    if (estW(x) && x.name() == u"rPr")
                        defauts_ = lireRPr(x);
                    else
                        x.skipCurrentElement();
                }
            } else if (x.name() == u"style") {
                style(x);
            }
        }
        if (x.hasError())
            throw x.errorString();
    }

    const MiseEnForme& defauts() const { return defauts_; }
    const QString& paragrapheParDefaut() const { return paragrapheParDefaut_; }

    MiseEnForme resoudre(const QString& id, int profondeur = 0) const
    {
        const auto it = styles_.constFind(id);
        if (id.isEmpty() || it == styles_.constEnd() || profondeur > 32)
            return {};
        MiseEnForme m = resoudre(it->base, profondeur + 1);
        m.recouvrir(it->forme);
        return m;
    }

private:
    void style(QXmlStreamReader& x)
    {
        const QString id = attribut(x, u"styleId");
        if (attribut(x, u"type") == u"paragraph" && active(attribut(x, u"default"))
            && aAttribut(x, u"default"))
            paragrapheParDefaut_ = id;
        StyleW s;
        while (x.readNextStartElement()) {
            if (estW(x) && x.name() == u"basedOn") {
                s.base = attribut(x, u"val");
            } else if (estW(x) && x.name() == u"rPr") {
                const bool saut = s.forme.sautAvant;
                s.forme = lireRPr(x);
                s.forme.sautAvant = saut;
                continue;
            } else if (estW(x) && x.name() == u"pPr") {
                while (x.readNextStartElement()) {
                    if (estW(x) && x.name() == u"pageBreakBefore")
                        s.forme.sautAvant = interrupteur(x);
                    x.skipCurrentElement();
                }
                continue;
            }
            x.skipCurrentElement();
        }
        styles_.insert(id, s);
    }

    MiseEnForme defauts_;
    QString paragrapheParDefaut_;
    QHash<QString, StyleW> styles_;
};

// Elements whose content is not the running text of the body.
bool aSauter(QStringView n)
{
    return n == u"delText" || n == u"instrText" || n == u"del" || n == u"drawing" || n == u"pict"
        || n == u"object" || n == u"sectPr" || n == u"rPrChange" || n == u"pPrChange"
        || n == u"moveFrom" || n == u"sdtPr" || n == u"footnotePr" || n == u"endnotePr";
}

class LecteurDocx {
public:
    LecteurDocx(const Styles& styles, QTextDocument* document, const QString& nom)
        : styles_(styles), assembleur_(document, nom)
    {
    }

    void lire(const QByteArray& xml)
    {
        QXmlStreamReader x(xml);
        while (!x.atEnd()) {
            const auto jeton = x.readNext();
            if (jeton == QXmlStreamReader::StartElement)
                debut(x);
            else if (jeton == QXmlStreamReader::EndElement && estW(x) && x.name() == u"r")
                run_ = {}, styleRun_.clear();
        }
        if (x.hasError())
            throw x.errorString();
        assembleur_.terminer();
    }

private:
    void debut(QXmlStreamReader& x)
    {
        if (x.namespaceUri() == u"http://schemas.openxmlformats.org/markup-compatibility/2006") {
            x.skipCurrentElement();  // drawings and their text boxes, in two versions
            return;
        }
        if (!estW(x))
            return;
        const QStringView n = x.name();
        if (aSauter(n)) {
            x.skipCurrentElement();
        } else if (n == u"p") {
            assembleur_.paragraphe();
            paragraphe_ = styles_.resoudre(styles_.paragrapheParDefaut());
        } else if (n == u"pPr") {
            proprietesDeParagraphe(x);
        } else if (n == u"rPr") {
            run_ = lireRPr(x, &styleRun_);
        } else if (n == u"t") {
            assembleur_.texte(x.readElementText(QXmlStreamReader::IncludeChildElements), format());
        } else if (n == u"tab") {
            assembleur_.texte(QStringLiteral("\t"), format());
        } else if (n == u"br") {
            const QString type = attribut(x, u"type");
            if (type == u"page")
                assembleur_.sautDePage();
            else if (type != u"column")
                assembleur_.texte(QString(QChar(0x2028)), format());
        } else if (n == u"cr") {
            assembleur_.texte(QString(QChar(0x2028)), format());
        } else if (n == u"noBreakHyphen") {
            assembleur_.texte(QString(QChar(0x2011)), format());
        }
    }

    void proprietesDeParagraphe(QXmlStreamReader& x)
    {
        bool saut = false;
        while (x.readNextStartElement()) {
            if (estW(x) && x.name() == u"pStyle")
                paragraphe_ = styles_.resoudre(attribut(x, u"val"));
            else if (estW(x) && x.name() == u"pageBreakBefore")
                saut = interrupteur(x);
            x.skipCurrentElement();
        }
        if (saut || paragraphe_.sautAvant)
            assembleur_.sautDePage();
    }

    QTextCharFormat format() const
    {
        MiseEnForme m = styles_.defauts();
        m.recouvrir(paragraphe_);
        m.recouvrir(styles_.resoudre(styleRun_));
        m.recouvrir(run_);
        return m.format();
    }

    const Styles& styles_;
    Assembleur assembleur_;
    MiseEnForme paragraphe_;
    MiseEnForme run_;
    QString styleRun_;
};

} // namespace

const QSet<QString>& partiesDocx()
{
    static const QSet<QString> s{documentXml, stylesXml};
    return s;
}

bool lireDocx(const Parties& parties, QTextDocument* document, const QString& nom)
{
    if (!parties.contains(documentXml))
        return false;
    lirePaquet(nom, [&] {
        Styles styles;
        if (parties.contains(stylesXml))
            styles.lire(parties.value(stylesXml));
        LecteurDocx(styles, document, nom).lire(parties.value(documentXml));
    });
    return true;
}

} // namespace Conversions

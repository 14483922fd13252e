#include "conversions/documents/Documents.h"

#include "conversions/documents/Zip.h"

#include <QColor>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QXmlStreamWriter>

namespace Conversions {

namespace {

const QString w = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");

// The fonts of the system interface (names starting with ".") mean nothing elsewhere.
QString police(const QTextCharFormat& f)
{
    const QStringList familles = f.fontFamilies().toStringList();
    const QString nom = familles.isEmpty() ? QString() : familles.first();
    if (nom.isEmpty() || nom.startsWith(QLatin1Char('.')))
        return QStringLiteral("Helvetica");
    return nom;
}

// XML 1.0 has no place for most control characters nor for lone surrogates.
bool admis(QChar c, QChar precedent, QChar suivant)
{
    const char16_t u = c.unicode();
    if (u == u'\t')
        return true;
    if (u < 0x20 || u == 0xFFFE || u == 0xFFFF)
        return false;
    if (c.isHighSurrogate())
        return suivant.isLowSurrogate();
    if (c.isLowSurrogate())
        return precedent.isHighSurrogate();
    return true;
}

class Redacteur {
public:
    explicit Redacteur(QByteArray* sortie) : x_(sortie) {}

    void document(const QTextDocument& texte)
    {
        x_.writeStartDocument(QStringLiteral("1.0"), true);
        x_.writeNamespace(w, QStringLiteral("w"));
        x_.writeStartElement(w, QStringLiteral("document"));
        x_.writeStartElement(w, QStringLiteral("body"));
        for (QTextBlock b = texte.begin(); b.isValid(); b = b.next())
            paragraphe(b);
        sectionA4();
        x_.writeEndElement();
        x_.writeEndElement();
        x_.writeEndDocument();
    }

private:
    void paragraphe(const QTextBlock& b)
    {
        x_.writeStartElement(w, QStringLiteral("p"));
        // Readers that match paragraphs by their attributes (as Word always writes them)
        // would otherwise run every paragraph into the next.
        x_.writeAttribute(w, QStringLiteral("rsidR"), QStringLiteral("00000000"));
        if (b.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) {
            x_.writeStartElement(w, QStringLiteral("pPr"));
            x_.writeEmptyElement(w, QStringLiteral("pageBreakBefore"));
            x_.writeEndElement();
        }
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.isValid())
                fragment(f.text(), f.charFormat());
        }
        x_.writeEndElement();
    }

    // One run per stretch of text; breaks and tabs are elements of their own.
    void fragment(const QString& texte, const QTextCharFormat& format)
    {
        QString morceau;
        auto vider = [&] {
            if (morceau.isEmpty())
                return;
            debutRun(format);
            x_.writeStartElement(w, QStringLiteral("t"));
            x_.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
            x_.writeCharacters(morceau);
            x_.writeEndElement();
            x_.writeEndElement();
            morceau.clear();
        };
        auto seul = [&](const char* element, const char* type) {
            vider();
            debutRun(format);
            x_.writeStartElement(w, QLatin1String(element));
            if (type)
                x_.writeAttribute(w, QStringLiteral("type"), QLatin1String(type));
            x_.writeEndElement();
            x_.writeEndElement();
        };
        for (qsizetype i = 0; i < texte.size(); ++i) {
            const QChar c = texte[i];
            switch (c.unicode()) {
            case 0x000C: seul("br", "page"); continue;
            case 0x2028: case u'\n': case u'\r': seul("br", nullptr); continue;
            case u'\t': seul("tab", nullptr); continue;
            case 0x00A0: morceau += QChar(0x00A0); continue;
            default: break;
            }
            const QChar avant = i > 0 ? texte[i - 1] : QChar();
            const QChar apres = i + 1 < texte.size() ? texte[i + 1] : QChar();
            if (admis(c, avant, apres))
                morceau += c;
        }
        vider();
    }

    void debutRun(const QTextCharFormat& f)
    {
        x_.writeStartElement(w, QStringLiteral("r"));
        x_.writeStartElement(w, QStringLiteral("rPr"));
        const QString nom = police(f);
        x_.writeEmptyElement(w, QStringLiteral("rFonts"));
        for (const char* a : {"ascii", "hAnsi", "cs", "eastAsia"})
            x_.writeAttribute(w, QLatin1String(a), nom);
        if (f.fontWeight() >= QFont::Bold)
            x_.writeEmptyElement(w, QStringLiteral("b"));
        if (f.fontItalic())
            x_.writeEmptyElement(w, QStringLiteral("i"));
        if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush) {
            x_.writeEmptyElement(w, QStringLiteral("color"));
            x_.writeAttribute(w, QStringLiteral("val"), f.foreground().color().name().mid(1).toUpper());
        }
        const double points = f.fontPointSize() > 0 ? f.fontPointSize() : 12.0;
        x_.writeEmptyElement(w, QStringLiteral("sz"));
        x_.writeAttribute(w, QStringLiteral("val"), QString::number(qMax(1, qRound(points * 2))));
        if (f.fontUnderline()) {
            x_.writeEmptyElement(w, QStringLiteral("u"));
            x_.writeAttribute(w, QStringLiteral("val"), QStringLiteral("single"));
        }
        x_.writeEndElement();
    }

    // A4 in twentieths of a point, with the margins of our PDF pages.
    void sectionA4()
    {
        x_.writeStartElement(w, QStringLiteral("sectPr"));
        x_.writeEmptyElement(w, QStringLiteral("pgSz"));
        x_.writeAttribute(w, QStringLiteral("w"), QStringLiteral("11900"));
        x_.writeAttribute(w, QStringLiteral("h"), QStringLiteral("16840"));
        x_.writeEmptyElement(w, QStringLiteral("pgMar"));
        for (const char* a : {"top", "right", "bottom", "left"})
            x_.writeAttribute(w, QLatin1String(a), QStringLiteral("1280"));
        x_.writeAttribute(w, QStringLiteral("header"), QStringLiteral("708"));
        x_.writeAttribute(w, QStringLiteral("footer"), QStringLiteral("708"));
        x_.writeAttribute(w, QStringLiteral("gutter"), QStringLiteral("0"));
        x_.writeEndElement();
    }

    QXmlStreamWriter x_;
};

QByteArray xml(const char* texte) { return QByteArray(texte); }

const char* typesDeContenu =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/word/document.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
    "</Types>";

const char* relations =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"word/document.xml\"/>"
    "</Relationships>";

} // namespace

QByteArray enWord(const QTextDocument& texte)
{
    QByteArray corps;
    Redacteur(&corps).document(texte);
    return ecrireZip({{QStringLiteral("[Content_Types].xml"), xml(typesDeContenu)},
                      {QStringLiteral("_rels/.rels"), xml(relations)},
                      {QStringLiteral("word/document.xml"), corps}},
                     QStringLiteral("document.docx"));
}

} // namespace Conversions

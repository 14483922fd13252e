#include "conversions/documents/Documents.h"
#include "conversions/documents/Ecritures.h"

#include "conversions/documents/Zip.h"

#include <QColor>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QXmlStreamWriter>
#include <QBuffer>
#include <QHash>
#include <QImageReader>
#include <QUrl>

namespace Conversions {

namespace {

const QString w = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString wp = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing");
const QString a = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/main");
const QString pic = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/picture");
const QString r = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
// English Metric Units per point.
constexpr double emuParPoint = 12700;

// A picture as a part of the package.
struct Media {
    QString partie;  // under word/
    QByteArray octets;
};

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
    Redacteur(QByteArray* sortie, const QTextDocument& texte) : x_(sortie), texte_(texte) {}

    const QList<Media>& medias() const { return medias_; }

    void document(const QTextDocument& texte)
    {
        x_.writeStartDocument(QStringLiteral("1.0"), true);
        x_.writeNamespace(w, QStringLiteral("w"));
        x_.writeNamespace(wp, QStringLiteral("wp"));
        x_.writeNamespace(a, QStringLiteral("a"));
        x_.writeNamespace(pic, QStringLiteral("pic"));
        x_.writeNamespace(r, QStringLiteral("r"));
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
            if (f.isValid() && f.charFormat().isImageFormat())
                for (int i = 0; i < f.length(); ++i)
                    image(f.charFormat().toImageFormat());
            else if (f.isValid())
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
            debutRun(format, morceau);
            x_.writeStartElement(w, QStringLiteral("t"));
            x_.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
            x_.writeCharacters(morceau);
            x_.writeEndElement();
            x_.writeEndElement();
            morceau.clear();
        };
        auto seul = [&](const char* element, const char* type) {
            vider();
            debutRun(format, {});
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

    // A reader takes Chinese, Japanese and Korean from the East Asian font, and Arabic, Hebrew,
    // Indic or Thai from the complex-script one: those name an installed font that draws them.
    void debutRun(const QTextCharFormat& f, const QString& texte)
    {
        x_.writeStartElement(w, QStringLiteral("r"));
        x_.writeStartElement(w, QStringLiteral("rPr"));
        const QString nom = police(f);
        const QString asie = policeAsieDeLEst(texte), complexe = policeComplexe(texte);
        x_.writeEmptyElement(w, QStringLiteral("rFonts"));
        x_.writeAttribute(w, QStringLiteral("ascii"), nom);
        x_.writeAttribute(w, QStringLiteral("hAnsi"), nom);
        x_.writeAttribute(w, QStringLiteral("cs"), complexe.isEmpty() ? nom : complexe);
        x_.writeAttribute(w, QStringLiteral("eastAsia"), asie.isEmpty() ? nom : asie);
        if (!asie.isEmpty())
            x_.writeAttribute(w, QStringLiteral("hint"), QStringLiteral("eastAsia"));
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
        if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript) {
            x_.writeEmptyElement(w, QStringLiteral("vertAlign"));
            x_.writeAttribute(w, QStringLiteral("val"), QStringLiteral("superscript"));
        }
        if (f.fontUnderline()) {
            x_.writeEmptyElement(w, QStringLiteral("u"));
            x_.writeAttribute(w, QStringLiteral("val"), QStringLiteral("single"));
        }
        x_.writeEndElement();
    }

    // The relationship of a picture's part, the part made on its first use.
    QString relation(const QString& adresse)
    {
        if (const auto it = relations_.constFind(adresse); it != relations_.constEnd())
            return *it;
        const QByteArray octets = texte_.resource(QTextDocument::ImageResource, QUrl(adresse)).toByteArray();
        QBuffer tampon;
        tampon.setData(octets);
        tampon.open(QIODevice::ReadOnly);
        const QByteArray format = QImageReader::imageFormat(&tampon);
        if (octets.isEmpty() || format.isEmpty())
            return {};
        const QString id = QStringLiteral("rIdImage%1").arg(medias_.size() + 1);
        medias_.append({QStringLiteral("media/image%1.%2").arg(medias_.size() + 1).arg(QString::fromLatin1(format)),
                        octets});
        relations_.insert(adresse, id);
        return id;
    }

    // An inline picture of the size it has in the text.
    void image(const QTextImageFormat& f)
    {
        const QString id = relation(f.name());
        if (id.isEmpty())
            return;
        const QString cx = QString::number(qRound64(f.width() * emuParPoint));
        const QString cy = QString::number(qRound64(f.height() * emuParPoint));
        const QString numero = QString::number(++images_);
        x_.writeStartElement(w, QStringLiteral("r"));
        x_.writeStartElement(w, QStringLiteral("drawing"));
        x_.writeStartElement(wp, QStringLiteral("inline"));
        x_.writeEmptyElement(wp, QStringLiteral("extent"));
        x_.writeAttribute(QStringLiteral("cx"), cx);
        x_.writeAttribute(QStringLiteral("cy"), cy);
        x_.writeEmptyElement(wp, QStringLiteral("docPr"));
        x_.writeAttribute(QStringLiteral("id"), numero);
        x_.writeAttribute(QStringLiteral("name"), QStringLiteral("Image ") + numero);
        x_.writeStartElement(a, QStringLiteral("graphic"));
        x_.writeStartElement(a, QStringLiteral("graphicData"));
        x_.writeAttribute(QStringLiteral("uri"), pic);
        x_.writeStartElement(pic, QStringLiteral("pic"));
        x_.writeStartElement(pic, QStringLiteral("nvPicPr"));
        x_.writeEmptyElement(pic, QStringLiteral("cNvPr"));
        x_.writeAttribute(QStringLiteral("id"), numero);
        x_.writeAttribute(QStringLiteral("name"), QStringLiteral("Image ") + numero);
        x_.writeEmptyElement(pic, QStringLiteral("cNvPicPr"));
        x_.writeEndElement();
        x_.writeStartElement(pic, QStringLiteral("blipFill"));
        x_.writeEmptyElement(a, QStringLiteral("blip"));
        x_.writeAttribute(r, QStringLiteral("embed"), id);
        x_.writeStartElement(a, QStringLiteral("stretch"));
        x_.writeEmptyElement(a, QStringLiteral("fillRect"));
        x_.writeEndElement();
        x_.writeEndElement();
        x_.writeStartElement(pic, QStringLiteral("spPr"));
        x_.writeStartElement(a, QStringLiteral("xfrm"));
        x_.writeEmptyElement(a, QStringLiteral("off"));
        x_.writeAttribute(QStringLiteral("x"), QStringLiteral("0"));
        x_.writeAttribute(QStringLiteral("y"), QStringLiteral("0"));
        x_.writeEmptyElement(a, QStringLiteral("ext"));
        x_.writeAttribute(QStringLiteral("cx"), cx);
        x_.writeAttribute(QStringLiteral("cy"), cy);
        x_.writeEndElement();
        x_.writeStartElement(a, QStringLiteral("prstGeom"));
        x_.writeAttribute(QStringLiteral("prst"), QStringLiteral("rect"));
        x_.writeEmptyElement(a, QStringLiteral("avLst"));
        x_.writeEndElement();
        x_.writeEndElement();
        x_.writeEndElement();  // pic
        x_.writeEndElement();  // graphicData
        x_.writeEndElement();  // graphic
        x_.writeEndElement();  // inline
        x_.writeEndElement();  // drawing
        x_.writeEndElement();  // r
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
    const QTextDocument& texte_;
    QList<Media> medias_;
    QHash<QString, QString> relations_;  // picture's address in the text → relationship
    int images_ = 0;
};

QByteArray xml(const char* texte) { return QByteArray(texte); }

const char* typesDeContenu =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Default Extension=\"png\" ContentType=\"image/png\"/>"
    "<Default Extension=\"jpeg\" ContentType=\"image/jpeg\"/>"
    "<Default Extension=\"gif\" ContentType=\"image/gif\"/>"
    "<Default Extension=\"bmp\" ContentType=\"image/bmp\"/>"
    "<Default Extension=\"webp\" ContentType=\"image/webp\"/>"
    "<Default Extension=\"tiff\" ContentType=\"image/tiff\"/>"
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

// The document's relationships: one per picture.
QByteArray relationsDuDocument(const QList<Media>& medias)
{
    QByteArray xml;
    QXmlStreamWriter x(&xml);
    x.writeStartDocument(QStringLiteral("1.0"), true);
    x.writeStartElement(QStringLiteral("Relationships"));
    x.writeDefaultNamespace(QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships"));
    for (qsizetype i = 0; i < medias.size(); ++i) {
        x.writeEmptyElement(QStringLiteral("Relationship"));
        x.writeAttribute(QStringLiteral("Id"), QStringLiteral("rIdImage%1").arg(i + 1));
        x.writeAttribute(QStringLiteral("Type"), r + QStringLiteral("/image"));
        x.writeAttribute(QStringLiteral("Target"), medias[i].partie);
    }
    x.writeEndElement();
    x.writeEndDocument();
    return xml;
}

} // namespace

QByteArray enWord(const QTextDocument& texte)
{
    QByteArray corps;
    Redacteur redacteur(&corps, texte);
    redacteur.document(texte);
    QList<std::pair<QString, QByteArray>> parties{{QStringLiteral("[Content_Types].xml"), xml(typesDeContenu)},
                                                 {QStringLiteral("_rels/.rels"), xml(relations)},
                                                 {QStringLiteral("word/document.xml"), corps}};
    if (!redacteur.medias().isEmpty()) {
        parties.append({QStringLiteral("word/_rels/document.xml.rels"), relationsDuDocument(redacteur.medias())});
        for (const Media& m : redacteur.medias())
            parties.append({QStringLiteral("word/") + m.partie, m.octets});
    }
    return ecrireZip(parties, QStringLiteral("document.docx"));
}

} // namespace Conversions

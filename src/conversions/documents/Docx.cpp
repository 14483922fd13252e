#include "conversions/documents/Lecteurs.h"

#include "conversions/documents/Assembleur.h"
#include "conversions/Erreur.h"
#include "conversions/Journaux.h"
#include "conversions/documents/DocxNumeros.h"
#include "conversions/documents/MiseEnForme.h"

#include <QDir>
#include <QHash>
#include <QSizeF>
#include <QXmlStreamReader>
#include <utility>

#include <optional>

namespace Conversions {

namespace {

const QString documentXml = QStringLiteral("word/document.xml");
const QString relationsDuPaquet = QStringLiteral("_rels/.rels");

// The relationships of a part: word/x.xml has word/_rels/x.xml.rels, the package itself _rels/.rels.
QString relationsDe(const QString& partie)
{
    const qsizetype barre = partie.lastIndexOf(QLatin1Char('/'));
    return partie.left(barre + 1) + QStringLiteral("_rels/") + partie.mid(barre + 1) + QStringLiteral(".rels");
}

struct Relation {
    QString type;   // the last word of its type: "officeDocument", "styles", "image"…
    QString cible;  // the part it names inside the package
};

// Relationship id → what it names inside the package (links to elsewhere are left out).
QHash<QString, Relation> lireRelations(const QByteArray& xml, const QString& partie)
{
    QHash<QString, Relation> relations;
    QXmlStreamReader x(xml);
    const QString dossier = partie.left(partie.lastIndexOf(QLatin1Char('/')) + 1);
    while (!x.atEnd()) {
        if (x.readNext() != QXmlStreamReader::StartElement || x.name() != u"Relationship")
            continue;
        const auto a = x.attributes();
        if (a.value(QLatin1String("TargetMode")) == u"External")
            continue;
        const QString cible = a.value(QLatin1String("Target")).toString();
        relations.insert(a.value(QLatin1String("Id")).toString(),
                         {a.value(QLatin1String("Type")).toString().section(QLatin1Char('/'), -1),
                          cible.startsWith(QLatin1Char('/')) ? QDir::cleanPath(cible.mid(1))
                                                             : QDir::cleanPath(dossier + cible)});
    }
    if (x.hasError())
        throw x.errorString();
    return relations;
}

// The relationships of `partie` in the package; none when it has no relationships part.
QHash<QString, Relation> relationsLues(const Parties& parties, const QString& partie)
{
    const auto it = parties.constFind(relationsDe(partie));
    return it == parties.constEnd() ? QHash<QString, Relation>() : lireRelations(*it, partie);
}

// The part the relationships name by `type`, else the usual name beside `partie`.
QString liee(const QHash<QString, Relation>& relations, QStringView type, const QString& partie, const QString& usuel)
{
    for (const Relation& r : relations)
        if (r.type == type)
            return r.cible;
    return partie.left(partie.lastIndexOf(QLatin1Char('/')) + 1) + usuel;
}

// The package's main part, as its own relationships name it (Word calls it word/document.xml,
// other writers otherwise); word/document.xml when they say nothing. Throws their XML's error.
QString principale(const Parties& parties)
{
    return liee(relationsLues(parties, QString()), u"officeDocument", QString(), documentXml);
}

// The parts the main part relates to, by their relationship's type.
struct PartiesLiees {
    QString styles, numerotation, notes, notesDeFin;

    PartiesLiees(const Parties& parties, const QString& principale)
    {
        const QHash<QString, Relation> r = relationsLues(parties, principale);
        styles = liee(r, u"styles", principale, QStringLiteral("styles.xml"));
        numerotation = liee(r, u"numbering", principale, QStringLiteral("numbering.xml"));
        notes = liee(r, u"footnotes", principale, QStringLiteral("footnotes.xml"));
        notesDeFin = liee(r, u"endnotes", principale, QStringLiteral("endnotes.xml"));
    }
};

bool estW(QStringView espace)
{
    return espace == u"http://schemas.openxmlformats.org/wordprocessingml/2006/main"
        || espace == u"http://purl.oclc.org/ooxml/wordprocessingml/main";
}

bool estW(const QXmlStreamReader& x) { return estW(x.namespaceUri()); }

// Office math (an equation: m:oMath, its runs m:r, their text m:t).
bool estM(const QXmlStreamReader& x)
{
    return x.namespaceUri() == u"http://schemas.openxmlformats.org/officeDocument/2006/math"
        || x.namespaceUri() == u"http://purl.oclc.org/ooxml/officeDocument/math";
}

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

// A paragraph's place in a list: w:numPr.
struct PlaceDansListe {
    std::optional<QString> liste;
    std::optional<int> niveau;

    void recouvrir(const PlaceDansListe& dessus)
    {
        if (dessus.liste) liste = dessus.liste;
        if (dessus.niveau) niveau = dessus.niveau;
    }
};

// The children of a w:numPr (the reader stands on its start); ends on its end.
void lireNumPr(QXmlStreamReader& x, PlaceDansListe& place)
{
    while (x.readNextStartElement()) {
        if (estW(x) && x.name() == u"numId")
            place.liste = attribut(x, u"val");
        else if (estW(x) && x.name() == u"ilvl")
            place.niveau = attribut(x, u"val").toInt();
        x.skipCurrentElement();
    }
}

struct StyleW {
    QString base;
    MiseEnForme forme;
    PlaceDansListe liste;
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

    MiseEnForme resoudre(const QString& id) const { return resoudreStyle(id).forme; }
    PlaceDansListe liste(const QString& id) const { return resoudreStyle(id).liste; }

private:
    StyleW resoudreStyle(const QString& id, int profondeur = 0) const
    {
        const auto it = styles_.constFind(id);
        if (id.isEmpty() || it == styles_.constEnd() || profondeur > 32)
            return {};
        StyleW s = resoudreStyle(it->base, profondeur + 1);
        s.forme.recouvrir(it->forme);
        s.liste.recouvrir(it->liste);
        return s;
    }

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
                    else if (estW(x) && x.name() == u"numPr") {
                        lireNumPr(x, s.liste);
                        continue;
                    }
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
    return n == u"delText" || n == u"instrText" || n == u"del" || n == u"pict"
        || n == u"object" || n == u"sectPr" || n == u"rPrChange" || n == u"pPrChange"
        || n == u"moveFrom" || n == u"sdtPr" || n == u"footnotePr" || n == u"endnotePr";
}

// Notes are numbered in the order the text calls them, footnotes and endnotes alike.
class NumerosDeNotes {
public:
    int appel(QStringView genre, const QString& id)
    {
        const QString cle = genre.toString() + QLatin1Char(':') + id;
        if (!numeros_.contains(cle))
            numeros_.insert(cle, numeros_.size() + 1);
        return numeros_.value(cle);
    }
    int numero(QStringView genre, const QString& id) const
    {
        return numeros_.value(genre.toString() + QLatin1Char(':') + id);
    }

private:
    QHash<QString, int> numeros_;
};

class LecteurDocx {
public:
    LecteurDocx(const Parties& parties, const QString& principale, QTextDocument* document, const QString& nom)
        : parties_(parties), principale_(principale), liees_(parties, principale), assembleur_(document, nom), nom_(nom)
    {
        if (parties.contains(liees_.styles))
            styles_.lire(parties.value(liees_.styles));
        if (parties.contains(liees_.numerotation))
            numeros_.lire(parties.value(liees_.numerotation));
    }

    void lire()
    {
        parcourir(principale_);
        // The notes after the text, each under the number of its call.
        parcourir(liees_.notes);
        parcourir(liees_.notesDeFin);
        assembleur_.terminer();
    }

private:
    void parcourir(const QString& partie)
    {
        if (!parties_.contains(partie))
            return;
        relations_ = relationsLues(parties_, partie);
        lettrine_ = false;
        QXmlStreamReader x(parties_.value(partie));
        while (!x.atEnd()) {
            const auto jeton = x.readNext();
            if (jeton == QXmlStreamReader::StartElement)
                debut(x);
            else if (jeton == QXmlStreamReader::EndElement && (estW(x) || estM(x)) && x.name() == u"r")
                run_ = {}, styleRun_.clear();
        }
        if (x.hasError())
            throw x.errorString();
    }

    void debut(QXmlStreamReader& x)
    {
        if (x.namespaceUri() == u"http://schemas.openxmlformats.org/markup-compatibility/2006") {
            x.skipCurrentElement();  // drawings and their text boxes, in two versions
            return;
        }
        if (estM(x) && x.name() == u"t") {
            // An equation keeps the text of its runs in place, without its layout.
            assembleur_.texte(x.readElementText(QXmlStreamReader::IncludeChildElements), format());
            return;
        }
        if (!estW(x))
            return;
        const QStringView n = x.name();
        if (aSauter(n)) {
            x.skipCurrentElement();
        } else if (n == u"p") {
            // A drop cap stands in a paragraph of its own: the next one carries on its word.
            if (!std::exchange(lettrine_, false))
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
        } else if (n == u"drawing") {
            dessin(x);
        } else if (n == u"footnoteReference" || n == u"endnoteReference") {
            QTextCharFormat f = format();
            f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
            assembleur_.texte(QString::number(notes_.appel(n.chopped(9), attribut(x, u"id"))), f);
        } else if (n == u"footnote" || n == u"endnote") {
            note_ = notes_.numero(n, attribut(x, u"id"));
            if (note_ == 0)  // separators, and notes nothing calls
                x.skipCurrentElement();
        } else if (n == u"footnoteRef" || n == u"endnoteRef") {
            assembleur_.texte(QString::number(note_) + QLatin1Char('.'), format());
        }
    }

    void proprietesDeParagraphe(QXmlStreamReader& x)
    {
        bool saut = false;
        PlaceDansListe place;
        while (x.readNextStartElement()) {
            if (estW(x) && x.name() == u"pStyle") {
                paragraphe_ = styles_.resoudre(attribut(x, u"val"));
                place.recouvrir(styles_.liste(attribut(x, u"val")));
            } else if (estW(x) && x.name() == u"framePr") {
                const QString lettrine = attribut(x, u"dropCap");
                lettrine_ = !lettrine.isEmpty() && lettrine != u"none";
            } else if (estW(x) && x.name() == u"pageBreakBefore") {
                saut = interrupteur(x);
            } else if (estW(x) && x.name() == u"numPr") {
                PlaceDansListe directe;
                lireNumPr(x, directe);
                place.recouvrir(directe);
                continue;
            }
            x.skipCurrentElement();
        }
        if (saut || paragraphe_.sautAvant)
            assembleur_.sautDePage();
        if (place.liste) {
            const QString marque = numeros_.marque(*place.liste, place.niveau.value_or(0));
            if (!marque.isEmpty())
                assembleur_.texte(marque + QLatin1Char('\t'), format());
        }
    }

    // A picture in the text: its size (wp:extent, in EMU) and its part (a:blip r:embed).
    void dessin(QXmlStreamReader& x)
    {
        QSizeF taille;
        QString relation;
        pourChaqueDescendant(x, [&] {
            if (x.name() == u"extent" && taille.isEmpty())
                taille = QSizeF(attributSansEspace(x, u"cx").toDouble(), attributSansEspace(x, u"cy").toDouble()) / 12700;
            else if (x.name() == u"blip" && relation.isEmpty())
                relation = attributSansEspace(x, u"embed");
        });
        const QString partie = relations_.value(relation).cible;
        if (!taille.isValid() || taille.width() > 1e5 || taille.height() > 1e5)
            taille = QSizeF();
        if (!partie.isEmpty() && assembleur_.image(partie, parties_.value(partie), taille, format()))
            return;
        qCWarning(journalDocuments).noquote()
            << nom_ + QStringLiteral(" : image illisible ") + (partie.isEmpty() ? relation : partie);
    }

    QTextCharFormat format() const
    {
        MiseEnForme m = styles_.defauts();
        m.recouvrir(paragraphe_);
        m.recouvrir(styles_.resoudre(styleRun_));
        m.recouvrir(run_);
        return m.format();
    }

    const Parties& parties_;
    const QString principale_;
    const PartiesLiees liees_;
    Styles styles_;
    NumerosDocx numeros_;
    NumerosDeNotes notes_;
    QHash<QString, Relation> relations_;
    Assembleur assembleur_;
    QString nom_;
    MiseEnForme paragraphe_;
    MiseEnForme run_;
    QString styleRun_;
    int note_ = 0;
    bool lettrine_ = false;
};

} // namespace

const QSet<QString>& partiesDocx()
{
    static const QSet<QString> s = [] {
        QSet<QString> l{relationsDuPaquet, documentXml, relationsDe(documentXml)};
        for (const QString& p : {QStringLiteral("styles.xml"), QStringLiteral("numbering.xml"),
                                 QStringLiteral("footnotes.xml"), QStringLiteral("endnotes.xml")})
            l << QStringLiteral("word/") + p << relationsDe(QStringLiteral("word/") + p);
        return l;
    }();
    return s;
}

QSet<QString> partiesDocxManquantes(const Parties& parties)
{
    if (!parties.contains(relationsDuPaquet))
        return {};
    QSet<QString> manquantes;
    try {
        const QString p = principale(parties);
        const PartiesLiees liees(parties, p);
        for (const QString& partie : {p, liees.styles, liees.numerotation, liees.notes, liees.notesDeFin})
            manquantes << partie << relationsDe(partie);
        // The pictures and other parts that the text and its notes name.
        for (const QString& partie : {p, liees.notes, liees.notesDeFin})
            for (const Relation& r : relationsLues(parties, partie))
                manquantes << r.cible;
    } catch (const QString&) {
        return {};  // the reader says what is wrong with them
    }
    manquantes.removeIf([&](const QString& partie) { return partie.isEmpty() || parties.contains(partie); });
    return manquantes;
}

bool lireDocx(const Parties& parties, QTextDocument* document, const QString& nom)
{
    QString p = documentXml;
    try {
        p = principale(parties);
    } catch (const QString& raison) {
        // Unreadable relationships: Word's usual name still holds the text.
        qCWarning(journalDocuments).noquote() << nom + QStringLiteral(" : ") + relationsDuPaquet + QStringLiteral(" : ") + raison;
    }
    if (!parties.contains(p))
        return false;
    lirePaquet(nom, [&] { LecteurDocx(parties, p, document, nom).lire(); });
    return true;
}

} // namespace Conversions

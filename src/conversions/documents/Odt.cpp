#include "conversions/documents/Lecteurs.h"

#include "conversions/documents/Assembleur.h"
#include "conversions/Erreur.h"
#include "conversions/Journaux.h"
#include "conversions/documents/Formules.h"
#include "conversions/documents/MiseEnForme.h"
#include "conversions/documents/OdtListes.h"

#include <QDir>
#include <QHash>
#include <QSizeF>
#include <QTextDocument>
#include <QXmlStreamReader>

#include <vector>

namespace Conversions {

namespace {

const QString contentXml = QStringLiteral("content.xml");
const QString stylesXml = QStringLiteral("styles.xml");

constexpr QStringView texteNs = u"urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr QStringView styleNs = u"urn:oasis:names:tc:opendocument:xmlns:style:1.0";
constexpr QStringView foNs = u"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0";
constexpr QStringView svgNs = u"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0";
constexpr QStringView officeNs = u"urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr QStringView drawNs = u"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0";

bool est(const QXmlStreamReader& x, QStringView espace, QStringView nom)
{
    return x.namespaceUri() == espace && x.name() == nom;
}

const QXmlStreamAttribute* trouver(const QXmlStreamAttributes& a, QStringView espace, QStringView nom)
{
    for (const QXmlStreamAttribute& un : a)
        if (un.namespaceUri() == espace && un.name() == nom)
            return &un;
    return nullptr;
}

QString valeur(const QXmlStreamAttributes& a, QStringView espace, QStringView nom)
{
    const QXmlStreamAttribute* un = trouver(a, espace, nom);
    return un ? un->value().toString() : QString();
}

QString valeur(const QXmlStreamReader& x, QStringView espace, QStringView nom)
{
    return valeur(x.attributes(), espace, nom);
}

constexpr int profondeurMax = 1000;

// The content part of an embedded object ("./Object 1", "Formula-0/").
QString contenuDeLObjet(const QString& lien)
{
    return QDir::cleanPath(lien) + QStringLiteral("/content.xml");
}

// A run of blanks (text:s) longer than a line is no layout but a way to swell the text.
constexpr int blancsMax = 100;

// An OpenDocument length ("2cm", "0.5in", "12pt") in points; 0 when it is none.
double longueur(QStringView texte)
{
    static const std::pair<QStringView, double> unites[] = {
        {u"cm", 72 / 2.54}, {u"mm", 72 / 25.4}, {u"in", 72}, {u"pt", 1}, {u"pc", 12}, {u"px", 0.75}};
    for (const auto& [unite, points] : unites) {
        if (!texte.endsWith(unite))
            continue;
        bool ok = false;
        const double v = texte.chopped(unite.size()).toDouble(&ok);
        return ok && v > 0 && v < 1e5 ? v * points : 0;
    }
    return 0;
}

struct StyleO {
    QString parent;
    MiseEnForme forme;
};

// The named and automatic styles of both parts, and the font faces they point to.
class StylesOdt {
public:
    void lire(const QByteArray& xml)
    {
        QXmlStreamReader x(xml);
        while (!x.atEnd()) {
            if (x.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (est(x, styleNs, u"font-face")) {
                QString famille = valeur(x, svgNs, u"font-family");
                famille.remove(QLatin1Char('\'')).remove(QLatin1Char('"'));
                polices_.insert(valeur(x, styleNs, u"name"), famille);
            } else if (est(x, styleNs, u"style")) {
                const QString cle = valeur(x, styleNs, u"family") + QLatin1Char(':') + valeur(x, styleNs, u"name");
                StyleO s;
                s.parent = valeur(x, styleNs, u"parent-style-name");
                proprietes(x, s.forme);
                styles_.insert(cle, s);
            } else if (est(x, texteNs, u"list-style")) {
                listes_.lireStyle(x);
            } else if (est(x, styleNs, u"default-style") && valeur(x, styleNs, u"family") == u"paragraph") {
                proprietes(x, defauts_);
            } else if (est(x, officeNs, u"body")) {
                break;  // content.xml: the styles come before the body
            }
        }
        if (x.hasError() && x.error() != QXmlStreamReader::PrematureEndOfDocumentError)
            throw x.errorString();
    }

    const MiseEnForme& defauts() const { return defauts_; }
    const ListesOdt& listes() const { return listes_; }

    MiseEnForme resoudre(const QString& famille, const QString& nom, int profondeur = 0) const
    {
        const auto it = styles_.constFind(famille + QLatin1Char(':') + nom);
        if (nom.isEmpty() || it == styles_.constEnd() || profondeur > 32)
            return {};
        MiseEnForme m = resoudre(famille, it->parent, profondeur + 1);
        m.recouvrir(it->forme);
        return m;
    }

private:
    void proprietes(QXmlStreamReader& x, MiseEnForme& m)
    {
        while (x.readNextStartElement()) {
            if (est(x, styleNs, u"text-properties"))
                texte(x, m);
            else if (est(x, styleNs, u"paragraph-properties"))
                m.sautAvant = valeur(x, foNs, u"break-before") == u"page";
            x.skipCurrentElement();
        }
    }

    void texte(const QXmlStreamReader& x, MiseEnForme& m) const
    {
        const auto a = x.attributes();
        if (trouver(a, foNs, u"font-weight")) {
            const QString poids = valeur(a, foNs, u"font-weight");
            m.gras = poids == u"bold" || poids.toInt() >= 600;
        }
        if (trouver(a, foNs, u"font-style"))
            m.italique = valeur(a, foNs, u"font-style") != u"normal";
        if (trouver(a, styleNs, u"text-underline-style"))
            m.souligne = valeur(a, styleNs, u"text-underline-style") != u"none";
        const QString taille = valeur(a, foNs, u"font-size");
        if (taille.endsWith(u"pt")) {
            bool ok = false;
            const double t = QStringView(taille).chopped(2).toDouble(&ok);
            if (ok && t > 0)
                m.taille = t;
        }
        const QString couleur = valeur(a, foNs, u"color");
        if (couleur.startsWith(QLatin1Char('#')))
            m.couleur = QColor(couleur);
        const QString face = valeur(a, styleNs, u"font-name");
        if (polices_.contains(face))
            m.police = polices_.value(face);
        else if (trouver(a, foNs, u"font-family"))
            m.police = valeur(a, foNs, u"font-family").remove(QLatin1Char('\''));
    }

    MiseEnForme defauts_;
    ListesOdt listes_;
    QHash<QString, QString> polices_;
    QHash<QString, StyleO> styles_;
};

class LecteurOdt {
public:
    LecteurOdt(const Parties& parties, const StylesOdt& styles, QTextDocument* document, const QString& nom)
        : parties_(parties), styles_(styles), listes_(styles.listes()), assembleur_(document, nom),
          notes_(&texteDesNotes_, nom), nom_(nom)
    {
        texteDesNotes_.setUndoRedoEnabled(false);
    }

    void lire(const QByteArray& xml)
    {
        QXmlStreamReader x(xml);
        bool corps = false;
        int profondeur = 0;
        while (!x.atEnd()) {
            const auto jeton = x.readNext();
            if (jeton == QXmlStreamReader::StartElement) {
                // Spans, lists and notes each keep a state: real documents nest a few dozen.
                if (++profondeur > profondeurMax)
                    throw QStringLiteral("éléments imbriqués trop profondément");
                if (est(x, officeNs, u"text"))
                    corps = true;
                else if (corps)
                    debut(x);
                if (x.isEndElement())
                    --profondeur;  // skipped whole
            } else if (jeton == QXmlStreamReader::EndElement) {
                --profondeur;
                if (est(x, officeNs, u"text"))
                    corps = false;
                else if (est(x, texteNs, u"span") && pile_.size() > 1)
                    pile_.pop_back();
                else if (est(x, texteNs, u"p") || est(x, texteNs, u"h"))
                    dansParagraphe_ = false;  // the indentation between paragraphs is not text
                else if (est(x, texteNs, u"list"))
                    listes_.fermer();
                else if (est(x, texteNs, u"note"))
                    finirNote();
            } else if (jeton == QXmlStreamReader::Characters && corps && dansParagraphe_) {
                caracteres(x.text());
            }
        }
        if (x.hasError())
            throw x.errorString();
        // The notes after the text.
        notes_.terminer();
        assembleur_.annexer(texteDesNotes_);
        assembleur_.terminer();
    }

private:
    void debut(QXmlStreamReader& x)
    {
        const QStringView n = x.name();
        if (x.namespaceUri() == texteNs) {
            if (n == u"p" || n == u"h") {
                paragraphe(x);
            } else if (n == u"span") {
                MiseEnForme m = pile_.back();
                m.recouvrir(styles_.resoudre(QStringLiteral("text"), valeur(x, texteNs, u"style-name")));
                pile_.push_back(m);
            } else if (n == u"s") {
                bool ok = false;
                const int c = valeur(x, texteNs, u"c").toInt(&ok);
                sortie().texte(QString(ok ? qBound(1, c, blancsMax) : 1, QLatin1Char(' ')), pile_.back().format());
                espace_ = true;
            } else if (n == u"tab") {
                sortie().texte(QStringLiteral("\t"), pile_.back().format());
                espace_ = true;
            } else if (n == u"line-break") {
                sortie().texte(QString(QChar(0x2028)), pile_.back().format());
                espace_ = true;
            } else if (n == u"list") {
                listes_.ouvrir(valeur(x, texteNs, u"style-name"), valeur(x, texteNs, u"continue-numbering") == u"true");
            } else if (n == u"list-item") {
                marque_ = listes_.article();
                if (!marque_.isEmpty())
                    marque_ += QLatin1Char('\t');
            } else if (n == u"list-header") {
                marque_.clear();
            } else if (n == u"note" && !dansNote_) {
                commencerNote();
            } else if (n == u"note") {
                x.skipCurrentElement();  // no note holds another
            } else if (n == u"note-citation" || n == u"tracked-changes" || n == u"sequence-decls") {
                x.skipCurrentElement();
            }
        } else if (est(x, drawNs, u"frame")) {
            cadre(x);
        } else if (x.namespaceUri() == drawNs || est(x, officeNs, u"annotation")) {
            x.skipCurrentElement();  // shapes and comments float apart from the text
        }
    }

    void paragraphe(const QXmlStreamReader& x)
    {
        MiseEnForme m = styles_.defauts();
        m.recouvrir(styles_.resoudre(QStringLiteral("paragraph"), valeur(x, texteNs, u"style-name")));
        sortie().paragraphe();
        if (m.sautAvant)
            sortie().sautDePage();
        pile_.assign(1, m);
        dansParagraphe_ = true;
        espace_ = true;  // leading blanks of a paragraph are not shown
        // The first paragraph of a list item, or of a note, carries its marker.
        if (!marque_.isEmpty())
            sortie().texte(marque_, m.format());
        marque_.clear();
    }

    Assembleur& sortie() { return dansNote_ ? notes_ : assembleur_; }

    // A note: its number in the text, its body with the notes at the end.
    void commencerNote()
    {
        QTextCharFormat appel = pile_.back().format();
        appel.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        const QString numero = QString::number(++nombreDeNotes_);
        sortie().texte(numero, appel);
        suspendus_.push_back({pile_, dansParagraphe_, espace_, dansNote_, marque_});
        dansNote_ = true;
        dansParagraphe_ = false;
        marque_ = numero + QStringLiteral(". ");
    }

    void finirNote()
    {
        if (suspendus_.empty())
            return;
        const Suspendu& s = suspendus_.back();
        pile_ = s.pile;
        dansParagraphe_ = s.dansParagraphe;
        espace_ = s.espace;
        dansNote_ = s.dansNote;
        marque_ = s.marque;
        suspendus_.pop_back();
    }

    // A frame holds a formula (draw:object), kept as its text, or a picture (draw:image) of
    // the frame's size, the formula's drawing when its text cannot be had; text boxes are left out.
    void cadre(QXmlStreamReader& x)
    {
        const QSizeF taille(longueur(valeur(x, svgNs, u"width")), longueur(valeur(x, svgNs, u"height")));
        QString partie, objet;
        Formule enLigne;
        for (int profondeur = 1; profondeur > 0 && !x.atEnd();) {
            const auto jeton = x.readNext();
            enLigne.lire(x);
            if (jeton == QXmlStreamReader::EndElement) {
                --profondeur;
            } else if (jeton == QXmlStreamReader::StartElement) {
                ++profondeur;
                if (est(x, drawNs, u"image") && partie.isEmpty())
                    partie = QDir::cleanPath(attributSansEspace(x, u"href"));
                else if (est(x, drawNs, u"object") && objet.isEmpty())
                    objet = attributSansEspace(x, u"href");
            }
        }
        QString formule = enLigne.texte();
        if (formule.isEmpty() && !objet.isEmpty())
            formule = Formule::deLaPartie(parties_.value(contenuDeLObjet(objet)));
        if (!formule.isEmpty()) {
            sortie().texte(formule, pile_.back().format());
            espace_ = false;
            return;
        }
        if (!objet.isEmpty() && partie.isEmpty())
            qCWarning(journalDocuments).noquote() << nom_ + QStringLiteral(" : objet illisible ") + objet;
        if (partie.isEmpty())
            return;
        if (!sortie().image(partie, parties_.value(partie), taille, pile_.back().format()))
            qCWarning(journalDocuments).noquote() << nom_ + QStringLiteral(" : image illisible ") + partie;
    }

    // Runs of white space in the XML show as one blank.
    void caracteres(QStringView texte)
    {
        QString propre;
        propre.reserve(texte.size());
        for (const QChar c : texte) {
            if (c == u' ' || c == u'\n' || c == u'\r' || c == u'\t') {
                if (!espace_)
                    propre += QLatin1Char(' ');
                espace_ = true;
            } else {
                propre += c;
                espace_ = false;
            }
        }
        sortie().texte(propre, pile_.back().format());
    }

    // What the text was doing when a note began.
    struct Suspendu {
        std::vector<MiseEnForme> pile;
        bool dansParagraphe, espace, dansNote;
        QString marque;
    };

    const Parties& parties_;
    const StylesOdt& styles_;
    ListesOdt listes_;
    Assembleur assembleur_;
    QTextDocument texteDesNotes_;
    Assembleur notes_;
    QString nom_;
    std::vector<MiseEnForme> pile_{MiseEnForme()};
    std::vector<Suspendu> suspendus_;
    bool dansParagraphe_ = false;
    bool espace_ = true;
    bool dansNote_ = false;
    int nombreDeNotes_ = 0;
    QString marque_;  // of the next paragraph, with what follows it
};

} // namespace

const QSet<QString>& partiesOdt()
{
    static const QSet<QString> s{contentXml, stylesXml};
    return s;
}

QSet<QString> partiesOdtManquantes(const Parties& parties)
{
    const auto contenu = parties.constFind(contentXml);
    if (contenu == parties.constEnd())
        return {};
    QSet<QString> objets;
    QXmlStreamReader x(*contenu);
    while (!x.atEnd())
        if (x.readNext() == QXmlStreamReader::StartElement && est(x, drawNs, u"object")) {
            const QString partie = contenuDeLObjet(attributSansEspace(x, u"href"));
            if (!parties.contains(partie))
                objets << partie;
        }
    return objets;  // a damaged content.xml: the reader says what is wrong with it
}

bool lireOdt(const Parties& parties, QTextDocument* document, const QString& nom)
{
    if (!parties.contains(contentXml))
        return false;
    lirePaquet(nom, [&] {
        StylesOdt styles;
        if (parties.contains(stylesXml))
            styles.lire(parties.value(stylesXml));
        styles.lire(parties.value(contentXml));
        LecteurOdt(parties, styles, document, nom).lire(parties.value(contentXml));
    });
    return true;
}

} // namespace Conversions

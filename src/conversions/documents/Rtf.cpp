#include "conversions/documents/Lecteurs.h"

#include "conversions/documents/Assembleur.h"
#include "conversions/Erreur.h"
#include "conversions/Journaux.h"
#include "conversions/documents/PageDeCodes.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QSet>
#include <QTextDocument>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace Conversions {

namespace {

// Real documents nest a few dozen groups; far deeper is hostile.
constexpr int profondeurMax = 1000;

enum class Destination { texte, polices, couleurs, ignoree };

struct Etat {
    Destination destination = Destination::texte;
    QTextCharFormat format;
    int codePage = 0;  // of the current font; 0: the document's
    bool policeChoisie = false;  // by \f; else the default font's code page holds
    int uc = 1;        // characters standing in for each \u
    bool cache = false;  // hidden text (\v)
};

// Groups whose content is not running text, skipped even without \*.
const QSet<QByteArray>& ignorees()
{
    static const QSet<QByteArray> s{
        "stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf",
        "footer", "footerl", "footerr", "footerf", "footnote", "fldinst", "themedata",
        "colorschememapping", "latentstyles", "datastore", "xmlnstbl", "listtable",
        "listoverridetable", "rsidtbl", "generator", "filetbl", "revtbl", "pgdsctbl",
        "bkmkstart", "bkmkend", "annotation", "atnid", "atnauthor", "shp", "shpinst",
        "nonshppict", "shppict", "fldtype", "template", "userprops", "docvar", "mmathPr",
        "blipuid", "xe", "tc", "txe", "private", "comment", "operator", "author", "title",
        "subject", "keywords", "doccomm", "company", "category", "manager", "hlinkbase"};
    return s;
}

// How gathered bytes read: their code page, and where their text goes.
struct Lecture {
    int page = 1252;
    Destination destination = Destination::texte;
    bool cache = false;
    bool operator==(const Lecture&) const = default;
};

class LecteurRtf {
public:
    LecteurRtf(const QByteArray& rtf, QTextDocument* document, const QString& nom)
        : rtf_(rtf), assembleur_(document, nom), nom_(nom)
    {
        assembleur_.paragraphe();
    }

    void lire()
    {
        const qsizetype n = rtf_.size();
        while (i_ < n) {
            const char c = rtf_[i_];
            if (c == '{') {
                ++i_;
                ouvrir();
            } else if (c == '}') {
                ++i_;
                fermer();
            } else if (c == '\\') {
                ++i_;
                controle();
            } else if (c == '\r' || c == '\n') {
                ++i_;
            } else {
                ++i_;
                caractere(static_cast<unsigned char>(c));
            }
        }
        viderOctets();
        viderTexte();
        assembleur_.terminer();
    }

private:
    Etat& etat() { return pile_.back(); }

    void ouvrir()
    {
        finDeGroupe();
        viderTexte();
        if (static_cast<int>(pile_.size()) >= profondeurMax) {
            qCWarning(journalDocuments).noquote() << nom_ + QStringLiteral(" : groupes RTF imbriqués trop profondément");
            throw Erreur::lecture(nom_);
        }
        pile_.push_back(pile_.empty() ? Etat() : etat());
        sauter_ = 0;
        debutDeGroupe_ = true;
        etoile_ = false;
    }

    void fermer()
    {
        // A stray brace would close the document's own group: it closes nothing, and what
        // follows is still text (other readers keep it too). The end of the bytes ends it.
        if (pile_.size() <= 1)
            return;
        finDeGroupe();
        viderTexte();
        sauter_ = 0;
        if (etat().destination == Destination::polices && !nomPolice_.isEmpty() && policeEnCours_ >= 0)
            finirPolice();
        pile_.pop_back();
    }

    void controle()
    {
        const qsizetype n = rtf_.size();
        if (i_ >= n)
            return;
        const char c = rtf_[i_];
        if (!estLettre(c)) {
            ++i_;
            symbole(c);
            debutDeGroupe_ = false;
            return;
        }
        const qsizetype debut = i_;
        while (i_ < n && estLettre(rtf_[i_]) && i_ - debut < 32)
            ++i_;
        const QByteArray mot = rtf_.mid(debut, i_ - debut);
        bool avecParametre = false;
        long long parametre = 0;
        bool negatif = false;
        if (i_ < n && rtf_[i_] == '-' && i_ + 1 < n && estChiffre(rtf_[i_ + 1])) {
            negatif = true;
            ++i_;
        }
        const qsizetype debutNombre = i_;
        while (i_ < n && estChiffre(rtf_[i_])) {
            if (i_ - debutNombre < 10)
                parametre = parametre * 10 + (rtf_[i_] - '0');
            ++i_;
            avecParametre = true;
        }
        if (negatif)
            parametre = -parametre;
        if (i_ < n && rtf_[i_] == ' ')
            ++i_;
        const bool debutDeGroupe = debutDeGroupe_;
        debutDeGroupe_ = false;
        motDeControle(mot, avecParametre, static_cast<int>(qBound(-2147483647LL, parametre, 2147483647LL)),
                      debutDeGroupe);
    }

    static bool estLettre(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool estChiffre(char c) { return c >= '0' && c <= '9'; }

    void symbole(char c)
    {
        switch (c) {
        case '\'': {
            const qsizetype n = rtf_.size();
            if (i_ + 2 > n)
                return;
            bool ok = false;
            const int octet = rtf_.mid(i_, 2).toInt(&ok, 16);
            i_ += 2;
            if (ok)
                octetDePage(static_cast<unsigned char>(octet));
            return;
        }
        case '*': etoile_ = true; return;
        case '~': texte(QChar(0x00A0)); return;
        case '_': texte(QChar(0x2011)); return;
        case '-': return;  // optional hyphen: nothing shows unless the line breaks there
        case '\\': case '{': case '}': texte(QChar::fromLatin1(c)); return;
        case '\n': case '\r': paragraphe(); return;
        case '\t': texte(QChar(u'\t')); return;
        default: return;
        }
    }

    void motDeControle(const QByteArray& mot, bool avecParametre, int p, bool debutDeGroupe)
    {
        // A destination is the first word of its group.
        if (debutDeGroupe || etoile_) {
            const bool inconnue = etoile_;
            etoile_ = false;
            if (mot == "fonttbl") { changerDestination(Destination::polices); return; }
            if (mot == "colortbl") { changerDestination(Destination::couleurs); return; }
            // \upr holds the text twice: in the code page, then in Unicode under \ud.
            if (mot == "upr") { changerDestination(Destination::ignoree); return; }
            if (mot == "ud") { changerDestination(Destination::texte); return; }
            if (ignorees().contains(mot)) { changerDestination(Destination::ignoree); return; }
            if (inconnue && !connus().contains(mot)) { changerDestination(Destination::ignoree); return; }
        }
        if (mot == "bin") {
            // Raw bytes that must not be parsed as RTF.
            viderOctets();
            i_ += std::clamp<qsizetype>(avecParametre ? p : 0, 0, rtf_.size() - i_);
            return;
        }
        if (etat().destination == Destination::ignoree)
            return;
        if (etat().destination == Destination::couleurs) {
            couleur(mot, p);
            return;
        }
        if (etat().destination == Destination::polices) {
            if (mot == "f") {
                viderOctets();
                policeEnCours_ = p;
                nomPolice_.clear();
                charsetPolice_ = -1;
                pagePolice_ = 0;
            } else if (mot == "fcharset") {
                charsetPolice_ = p;
            } else if (mot == "cpg") {
                pagePolice_ = p;
            }
            return;
        }
        if (sauter_ > 0 && mot != "u") {
            --sauter_;
            return;
        }
        miseEnForme(mot, avecParametre, p);
    }

    static const QSet<QByteArray>& connus()
    {
        static const QSet<QByteArray> s{"listtext", "pntext", "fldrslt", "field"};
        return s;
    }

    void changerDestination(Destination d)
    {
        viderTexte();
        etat().destination = d;
    }

    void miseEnForme(const QByteArray& mot, bool avecParametre, int p)
    {
        const bool actif = !avecParametre || p != 0;
        QTextCharFormat& f = etat().format;
        if (mot == "par" || mot == "sect") { paragraphe(); return; }
        if (mot == "line") { texte(QChar(0x2028)); return; }
        if (mot == "tab" || mot == "cell" || mot == "nestcell") { texte(QChar(u'\t')); return; }
        if (mot == "row" || mot == "nestrow") { paragraphe(); return; }
        if (mot == "v") { viderOctets(); viderTexte(); etat().cache = actif; return; }
        if (mot == "page") { saut(); return; }
        if (mot == "u") { unicode(p); return; }
        if (mot == "uc") { etat().uc = qBound(0, p, 10); return; }
        if (mot == "emdash") { texte(QChar(0x2014)); return; }
        if (mot == "endash") { texte(QChar(0x2013)); return; }
        if (mot == "lquote") { texte(QChar(0x2018)); return; }
        if (mot == "rquote") { texte(QChar(0x2019)); return; }
        if (mot == "ldblquote") { texte(QChar(0x201C)); return; }
        if (mot == "rdblquote") { texte(QChar(0x201D)); return; }
        if (mot == "bullet") { texte(QChar(0x2022)); return; }
        if (mot == "emspace") { texte(QChar(0x2003)); return; }
        if (mot == "enspace") { texte(QChar(0x2002)); return; }
        if (mot == "ansicpg") { pageDocument_ = p; return; }
        if (mot == "mac") { pageDocument_ = 10000; return; }
        if (mot == "pc") { pageDocument_ = 437; return; }
        if (mot == "pca") { pageDocument_ = 850; return; }
        if (mot == "deff") { policeParDefaut_ = p; return; }

        viderOctets();
        viderTexte();
        if (mot == "plain") {
            f = QTextCharFormat();
            etat().cache = false;
            appliquerPolice(policeParDefaut_);
        } else if (mot == "b") {
            f.setFontWeight(actif ? QFont::Bold : QFont::Normal);
        } else if (mot == "i") {
            f.setFontItalic(actif);
        } else if (mot == "ul" || mot == "uld" || mot == "uldb" || mot == "uldash" || mot == "ulw"
                   || mot == "ulth" || mot == "ulwave" || mot == "uldashd" || mot == "uldashdd") {
            f.setFontUnderline(actif);
        } else if (mot == "ulnone") {
            f.setFontUnderline(false);
        } else if (mot == "fs") {
            if (avecParametre && p > 0 && p <= 3276)
                f.setFontPointSize(p / 2.0);
        } else if (mot == "f") {
            appliquerPolice(p);
        } else if (mot == "cf") {
            if (p > 0 && p < couleurs_.size() && couleurs_[p].isValid())
                f.setForeground(couleurs_[p]);
            else
                f.clearForeground();
        }
    }

    void appliquerPolice(int index)
    {
        const auto it = polices_.find(index);
        if (it == polices_.end())
            return;
        etat().format.setFontFamilies({it->second.first});
        etat().codePage = it->second.second;
        etat().policeChoisie = true;
    }

    void couleur(const QByteArray& mot, int p)
    {
        const int v = qBound(0, p, 255);
        if (mot == "red") { rouge_ = v; couleurDefinie_ = true; }
        else if (mot == "green") { vert_ = v; couleurDefinie_ = true; }
        else if (mot == "blue") { bleu_ = v; couleurDefinie_ = true; }
    }

    void finirPolice()
    {
        QString nom = nomPolice_.trimmed();
        if (!nom.isEmpty())
            polices_[policeEnCours_] = {nom, pageDeLaPolice()};
        nomPolice_.clear();
        policeEnCours_ = -1;
    }

    // A font's own code page (\cpg), else its character set's; 0 when it names neither.
    int pageDeLaPolice() const
    {
        if (pagePolice_ > 0)
            return pagePolice_;
        return charsetPolice_ >= 0 ? PageDeCodes::duJeuDeCaracteres(charsetPolice_) : 0;
    }

    // The font's character set decides how bytes read; the document's code page only
    // when the font says nothing.
    int pageCourante() const
    {
        const Etat& e = pile_.back();
        int numero = 0;
        if (e.destination == Destination::polices) {
            numero = pageDeLaPolice();
        } else if (e.policeChoisie) {
            numero = e.codePage;
        } else if (const auto it = polices_.find(policeParDefaut_); it != polices_.end()) {
            numero = it->second.second;
        }
        if (numero == 0)
            numero = pageDocument_ ? pageDocument_ : 1252;
        return numero;
    }

    void unicode(int p)
    {
        const char16_t u = static_cast<char16_t>(p < 0 ? p + 65536 : p);
        texte(QChar(u));
        sauter_ = etat().uc;
    }

    // A plain byte of the stream: ASCII as such, anything above in the code page.
    void caractere(unsigned char c)
    {
        if (c >= 0x80) {
            octetDePage(c);
            return;
        }
        if (c < 0x20 && c != '\t')
            return;
        viderOctets();
        if (etat().destination == Destination::polices) {
            if (c == ';')
                finirPolice();
            else
                nomPolice_ += QChar::fromLatin1(static_cast<char>(c));
            return;
        }
        if (etat().destination == Destination::couleurs) {
            if (c == ';') {
                couleurs_.append(couleurDefinie_ ? QColor(rouge_, vert_, bleu_) : QColor());
                rouge_ = vert_ = bleu_ = 0;
                couleurDefinie_ = false;
            }
            return;
        }
        texte(QChar::fromLatin1(static_cast<char>(c)));
    }

    void octetDePage(unsigned char octet)
    {
        if (sauter_ > 0) {
            --sauter_;
            return;
        }
        if (etat().destination == Destination::ignoree || etat().destination == Destination::couleurs)
            return;
        const Lecture lecture{PageDeCodes::reconnue(pageCourante()), etat().destination, etat().cache};
        if (!octets_.isEmpty() && lecture != lectureDesOctets_)
            viderOctets();
        if (octets_.isEmpty())
            lectureDesOctets_ = lecture;
        octets_.append(static_cast<char>(octet));
    }

    // Bytes are decoded together, as they were gathered: a double-byte code page needs both halves.
    void viderOctets()
    {
        if (octets_.isEmpty())
            return;
        // One decoder per page: unknown numbers all share the Western one.
        const int numero = lectureDesOctets_.page;
        auto& page = pages_[numero];
        if (!page)
            page = std::make_unique<PageDeCodes>(numero);
        const QString t = page->decoder(octets_);
        octets_.clear();
        if (lectureDesOctets_.destination == Destination::polices)
            nomPolice_ += t;
        else if (lectureDesOctets_.destination == Destination::texte && !lectureDesOctets_.cache)
            morceau_ += t;
    }

    // Writers split a double-byte character between groups at times ({\'82}{\'a8}): in running
    // text its bytes wait for the next group; a font's name ends with its group.
    void finDeGroupe()
    {
        if (pile_.empty() || etat().destination != Destination::texte)
            viderOctets();
    }

    void texte(QChar c)
    {
        viderOctets();
        if (sauter_ > 0) {
            --sauter_;
            return;
        }
        if (etat().destination == Destination::texte && !etat().cache)
            morceau_ += c;
        else if (etat().destination == Destination::polices)
            nomPolice_ += c;
    }

    // \par ends a paragraph: the next one starts only when text comes, so a final \par
    // leaves no empty paragraph behind.
    void paragraphe()
    {
        viderOctets();
        viderTexte();
        if (etat().destination == Destination::texte)
            ++parAttente_;
    }

    void commencerParagraphes()
    {
        for (; parAttente_ > 0; --parAttente_)
            assembleur_.paragraphe();
    }

    void saut()
    {
        viderOctets();
        viderTexte();
        commencerParagraphes();
        assembleur_.sautDePage();
    }

    void viderTexte()
    {
        if (morceau_.isEmpty() || pile_.empty())
            return;
        commencerParagraphes();
        assembleur_.texte(morceau_, etat().format);
        morceau_.clear();
    }

    const QByteArray& rtf_;
    Assembleur assembleur_;
    QString nom_;
    qsizetype i_ = 0;
    std::vector<Etat> pile_;
    bool debutDeGroupe_ = false;
    bool etoile_ = false;
    int sauter_ = 0;
    QString morceau_;
    QByteArray octets_;
    Lecture lectureDesOctets_;
    int pageDocument_ = 0;
    int policeParDefaut_ = -1;
    std::map<int, std::pair<QString, int>> polices_;
    int policeEnCours_ = -1;
    int charsetPolice_ = -1;
    int pagePolice_ = 0;
    QString nomPolice_;
    QList<QColor> couleurs_;
    int rouge_ = 0, vert_ = 0, bleu_ = 0;
    bool couleurDefinie_ = false;
    int parAttente_ = 0;
    std::map<int, std::unique_ptr<PageDeCodes>> pages_;
};

} // namespace

void lireRtf(const QByteArray& rtf, QTextDocument* document, const QString& nom)
{
    if (!rtf.startsWith("{\\rtf"))
        throw Erreur::lecture(nom);
    LecteurRtf(rtf, document, nom).lire();
}

} // namespace Conversions

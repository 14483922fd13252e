#include "conversions/documents/Documents.h"
#include "conversions/documents/Ecritures.h"
#include "conversions/Chemins.h"

#include "conversions/Erreur.h"
#include "conversions/Journaux.h"
#include "conversions/documents/Lecteurs.h"
#include "conversions/documents/Ole.h"
#include "conversions/sorties/FichierDeSortie.h"
#include "conversions/travail/Processus.h"
#include "conversions/sorties/Sortie.h"
#include "conversions/documents/Zip.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <system_error>
#include <vector>

namespace Conversions {

namespace {

// Far beyond any real text document; a bigger file is refused rather than laid out.
constexpr qint64 tailleMax = 200 * 1024 * 1024;
constexpr int delaiLecteurMs = 60000;

void noter(const QString& ligne)
{
    qCWarning(journalDocuments).noquote() << ligne;
}

// `nom`: the name the user dropped (a bundle's, for the file inside it).
QByteArray contenu(const QString& chemin, const QString& nom)
{
    QFile f(chemin);
    if (!QFileInfo(chemin).isFile() || f.size() > tailleMax || !f.open(QIODevice::ReadOnly))
        throw Erreur::lecture(nom);
    QByteArray octets = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw Erreur::lecture(nom);
    return octets;
}

QString utf8(const QByteArray& octets, const QString& nom)
{
    QStringDecoder decodeur(QStringConverter::Utf8);
    QString texte = decodeur.decode(octets);
    if (decodeur.hasError())
        throw Erreur::lecture(nom);
    return texte;
}

void lireTexteBrut(const QString& chemin, QTextDocument* document)
{
    document->setPlainText(utf8(contenu(chemin, nomDe(chemin)), nomDe(chemin)));
}

// What a reader of old Word files printed, and whether it was all valid UTF-8 (a stray
// byte is then replaced, the rest kept).
struct TexteLu {
    QString texte;
    bool valide = true;
};

// The text a reader of old Word files prints, or nothing when it is missing or refuses
// (what it says goes to the log).
std::optional<TexteLu> texteDuLecteur(const QString& lecteur, const QStringList& arguments, const QString& nom)
{
    const QString programme = QStandardPaths::findExecutable(lecteur);
    if (programme.isEmpty()) {
        noter(lecteur + QStringLiteral(" introuvable : ") + nom + QStringLiteral(" ne peut être lu"));
        return std::nullopt;
    }
    // A child of the engine: a stop kills it, and it dies with the application.
    QByteArray sortie;
    QByteArray erreur;
    QString echec;
    bool reussi = false;
    try {
        Processus p(programme, arguments, Processus::Flux::tubes);
        const bool fini = lireLesFlux(p, [&](bool flux, const QByteArray& octets) {
            (flux ? erreur : sortie).append(octets);
            if (erreur.size() > 8192)
                erreur = erreur.right(4096);
        }, std::chrono::steady_clock::now() + std::chrono::milliseconds(delaiLecteurMs));
        if (!fini)
            echec = QStringLiteral("arrêté au bout de %1 ms").arg(delaiLecteurMs);
        else if (!(reussi = p.attendre() == 0))
            echec = QString::fromUtf8(erreur).trimmed();
    } catch (const std::system_error& e) {
        echec = QString::fromLocal8Bit(e.what());
    }
    if (!reussi) {
        noter(lecteur + QStringLiteral(" : ") + nom + QStringLiteral(" : ") + echec);
        return std::nullopt;
    }
    QStringDecoder decodeur(QStringConverter::Utf8);
    TexteLu lu{decodeur.decode(sortie)};
    lu.valide = !decodeur.hasError();
    if (!lu.valide)
        noter(lecteur + QStringLiteral(" : ") + nom + QStringLiteral(" : texte qui n’est pas de l’UTF-8 valide"));
    while (lu.texte.endsWith(QLatin1Char('\n')))
        lu.texte.chop(1);
    return lu;
}

bool estOle(const QByteArray& tete) { return tete.startsWith("\xD0\xCF\x11\xE0"); }

// A Word 97–2003 file through antiword; catdoc reads the short ones antiword refuses (their
// text sits in the file's small-block stream), and those whose text antiword prints with a
// stray byte. When both stumble, antiword's text stands, the stray byte replaced.
// Formatting is lost.
void lireDoc(const QString& chemin, const QByteArray& tete, QTextDocument* document, const QString& nom)
{
    std::optional<TexteLu> texte = texteDuLecteur(
        QStringLiteral("antiword"),
        {QStringLiteral("-m"), QStringLiteral("UTF-8.txt"), QStringLiteral("-w"), QStringLiteral("0"),
         QStringLiteral("--"), chemin},
        nom);
    // catdoc shows any other file as plain text, and goes round a looping chain of a damaged
    // container for ever: only a well-formed Word container goes to it.
    const bool essayerCatdoc = (!texte || !texte->valide) && estOle(tete);
    if (essayerCatdoc && !oleBienForme(chemin)) {
        noter(QStringLiteral("catdoc : ") + nom + QStringLiteral(" : conteneur abîmé, non lu"));
    } else if (essayerCatdoc) {
        std::optional<TexteLu> autre = texteDuLecteur(
            QStringLiteral("catdoc"),
            {QStringLiteral("-d"), QStringLiteral("utf-8"), QStringLiteral("-w"), QStringLiteral("--"), chemin}, nom);
        if (autre && (!texte || (autre->valide && !autre->texte.trimmed().isEmpty())))
            texte = std::move(autre);
    }
    if (!texte)
        throw Erreur::lecture(nom);
    document->setPlainText(texte->texte);
}

// A zip is Word or OpenDocument by what it holds.
void lirePaquet(const QString& chemin, QTextDocument* document, const QString& nom)
{
    // Pictures: word/media/ as Word saves them, Pictures/ in OpenDocument.
    QSet<QString> voulues = partiesDocx() + partiesOdt();
    const QStringList dossiers{QStringLiteral("word/"), QStringLiteral("Pictures/")};
    Parties parties = lireZip(chemin, voulues, dossiers, plafondXml);
    // A Word package names its parts through its relationships, under other names at times: the
    // main part, then what it relates to, then what its notes do. An OpenDocument text names
    // its formulas' parts.
    const auto demandee = [&](const QString& partie) {
        return voulues.contains(partie)
            || std::any_of(dossiers.begin(), dossiers.end(), [&](const QString& d) { return partie.startsWith(d); });
    };
    for (int passe = 0; passe < 3; ++passe) {
        QSet<QString> encore = partiesDocxManquantes(parties) + partiesOdtManquantes(parties);
        encore.removeIf(demandee);
        if (encore.isEmpty())
            break;
        parties.insert(lireZip(chemin, encore, {}, plafondXml));
        voulues += encore;
    }
    if (lireDocx(parties, document, nom) || lireOdt(parties, document, nom))
        return;
    noter(nom + QStringLiteral(" : ni word/document.xml ni content.xml"));
    throw Erreur::lecture(nom);
}

bool commencePar(const QByteArray& octets, const char* debut) { return octets.startsWith(debut); }

// The format by the file's first bytes, so that a .doc saved as RTF or a renamed .docx
// still reads; the extension decides only for the plain texts.
void lireSelonContenu(const QString& chemin, QTextDocument* document)
{
    const QString nom = nomDe(chemin);
    QString fichier = chemin;
    if (QFileInfo(chemin).isDir()) {
        fichier = QDir(chemin).filePath(QStringLiteral("TXT.rtf"));
        if (!QFileInfo(fichier).isFile())
            throw Erreur::lecture(nom);
    }
    QFile f(fichier);
    if (!f.open(QIODevice::ReadOnly))
        throw Erreur::lecture(nom);
    const QByteArray tete = f.read(8);
    f.close();
    if (commencePar(tete, "{\\rtf"))
        lireRtf(contenu(fichier, nom), document, nom);
    else if (commencePar(tete, "PK\x03\x04"))
        lirePaquet(fichier, document, nom);
    else if (estOle(tete) || QFileInfo(chemin).suffix().toLower() == QLatin1String("doc"))
        lireDoc(fichier, tete, document, nom);  // older Word files have other signatures: antiword decides
    else
        throw Erreur::lecture(nom);
}

// Runs that name no font, or no size, are Helvetica 12. The runs are listed before any is
// changed: a merge can make neighbours alike, Qt then joins them under a live iterator.
void policeParDefaut(QTextDocument* document)
{
    const QFont helvetica(QStringLiteral("Helvetica"), 12);
    document->setDefaultFont(helvetica);
    struct Manque {
        int debut, fin;
        QTextCharFormat format;
    };
    std::vector<Manque> runs;
    std::vector<int> paragraphesVides;
    for (QTextBlock b = document->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const QTextCharFormat format = f.charFormat();
            QTextCharFormat manque;
            if (format.fontFamilies().toStringList().isEmpty())
                manque.setFontFamilies({helvetica.family()});
            if (format.fontPointSize() <= 0)
                manque.setFontPointSize(12);
            if (!manque.properties().isEmpty())
                runs.push_back({f.position(), f.position() + f.length(), manque});
        }
        // An empty paragraph still has a height: that of its own format.
        if (b.length() == 1 && b.charFormat().fontPointSize() <= 0)
            paragraphesVides.push_back(b.position());
    }
    // One edit: otherwise each change lays the whole paragraph out again.
    QTextCursor c(document);
    c.beginEditBlock();
    for (const Manque& m : runs) {
        c.setPosition(m.debut);
        c.setPosition(m.fin, QTextCursor::KeepAnchor);
        c.mergeCharFormat(m.format);
    }
    QTextCharFormat vide;
    vide.setFontFamilies({helvetica.family()});
    vide.setFontPointSize(12);
    for (const int position : paragraphesVides) {
        c.setPosition(position);
        c.mergeBlockCharFormat(vide);
    }
    c.endEditBlock();
}

// The characters as they are (no-break spaces stay), a line feed between lines and paragraphs.
QString texteBrut(const QTextDocument& texte)
{
    QString t = texte.toRawText();
    t.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    t.replace(QChar::LineSeparator, QLatin1Char('\n'));
    t.remove(QChar::ObjectReplacementCharacter);
    return t;
}

std::atomic<RetoucheDuPdf> retoucheDuPdf{nullptr};

} // namespace

void retoucherLesPdfAvec(RetoucheDuPdf retouche) { retoucheDuPdf.store(retouche); }

std::unique_ptr<QTextDocument> lireDocument(const QString& source)
{
    auto document = std::make_unique<QTextDocument>();
    document->setUndoRedoEnabled(false);
    const QString ext = QFileInfo(source).suffix().toLower();
    if (ext == QLatin1String("txt") || ext == QLatin1String("text") || ext == QLatin1String("md"))
        lireTexteBrut(source, document.get());
    else
        lireSelonContenu(source, document.get());
    policeParDefaut(document.get());
    return document;
}

QString document(const QString& source, const QString& id)
{
    const std::unique_ptr<QTextDocument> texte = lireDocument(source);
    if (id == QLatin1String("pdf") || id == QLatin1String("docx"))
        signalerCaracteresSansPolice(*texte, QFileInfo(source).fileName());
    Sortie sortie = Sortie::apres(source, QString(), id);
    if (id == QLatin1String("pdf")) {
        sortie.remplir([&] { enPDF(*texte, sortie.temporaire()); });
        if (const RetoucheDuPdf retouche = retoucheDuPdf.load(); retouche && !retouche(sortie.temporaire(), texte->toPlainText()))
            throw Erreur::ecriture(sortie.nom());
    } else if (id == QLatin1String("docx")) {
        QByteArray word;
        try {
            word = enWord(*texte);
        } catch (const Erreur&) {
            throw Erreur::ecriture(sortie.nom());
        }
        ecrireDans(sortie, word);
    } else {
        ecrireDans(sortie, texteBrut(*texte).toUtf8());
    }
    return sortie.valider();
}

} // namespace Conversions

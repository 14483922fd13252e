#include "conversions/pdf/Ideogrammes.h"

#include "conversions/Chemins.h"
#include "conversions/Journaux.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cctype>
#include <optional>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

namespace Conversions {

namespace {

// Where the folded forms live: the radicals (supplement and Kangxi) and the compatibility
// ideographs. Everything below the first is never shared with an ideograph.
struct Plage {
    char16_t debut, fin;
};
constexpr Plage formes[] = {{0x2E80, 0x2FDF}, {0xF900, 0xFAFF}};

// A destination of one UTF-16 unit, else nothing (ligatures, surrogate pairs, bad hex).
std::optional<char16_t> unite(const QByteArray& jeton)
{
    if (jeton.size() != 6)
        return std::nullopt;
    bool ok = false;
    const uint valeur = jeton.mid(1, 4).toUInt(&ok, 16);
    return ok ? std::optional<char16_t>(char16_t(valeur)) : std::nullopt;
}

QByteArray jetonDe(char16_t u)
{
    return '<' + QByteArray::number(uint(u), 16).toUpper().rightJustified(4, '0') + '>';
}

QByteArray remplace(const QByteArray& jeton, const QHash<char16_t, char16_t>& remplacements)
{
    const std::optional<char16_t> u = unite(jeton);
    return u && remplacements.contains(*u) ? jetonDe(remplacements.value(*u)) : jeton;
}

// `<lo> <hi> <dst>`: the destinations run from dst, its last unit counting up.
QByteArray plage(const QByteArray& lo, const QByteArray& hi, const QByteArray& dst,
                 const QHash<char16_t, char16_t>& remplacements)
{
    bool ok1 = false, ok2 = false;
    const uint debut = lo.mid(1, lo.size() - 2).toUInt(&ok1, 16);
    const uint fin = hi.mid(1, hi.size() - 2).toUInt(&ok2, 16);
    const std::optional<char16_t> premier = unite(dst);
    if (!ok1 || !ok2 || !premier || fin < debut || fin - debut > 0xFF)
        return dst;
    bool change = false;
    QByteArray tableau = "[";
    for (uint i = 0; i <= fin - debut; ++i) {
        const char16_t u = char16_t(*premier + i);
        change |= remplacements.contains(u);
        tableau += jetonDe(remplacements.value(u, u)) + ' ';
    }
    return change ? tableau + ']' : dst;
}

} // namespace

QHash<char16_t, char16_t> ideogrammesAReprendre(const QString& texte)
{
    QSet<char16_t> presents;
    for (const QChar c : texte)
        if (c.unicode() >= formes[0].debut)
            presents.insert(c.unicode());
    QHash<char16_t, char16_t> remplacements;
    if (presents.isEmpty())
        return remplacements;
    for (const Plage& p : formes)
        for (char16_t u = p.debut; u <= p.fin; ++u) {
            const QString plie = QString(QChar(u)).normalized(QString::NormalizationForm_KC);
            if (plie.size() == 1 && plie[0].unicode() != u && presents.contains(plie[0].unicode()) &&
                !presents.contains(u))
                remplacements.insert(u, plie[0].unicode());
        }
    return remplacements;
}

QByteArray cmapCorrigee(const QByteArray& cmap, const QHash<char16_t, char16_t>& remplacements)
{
    enum class Bloc { aucun, caracteres, plages } bloc = Bloc::aucun;
    QByteArray sortie;
    sortie.reserve(cmap.size() + cmap.size() / 4);
    QList<QByteArray> entree;  // the current range's low and high codes
    bool dansTableau = false;
    int rang = 0;  // the token's place in a bfchar pair
    qsizetype i = 0;
    while (i < cmap.size()) {
        const char c = cmap[i];
        if (c == '<' && i + 1 < cmap.size() && cmap[i + 1] != '<') {
            const qsizetype fin = cmap.indexOf('>', i);
            if (fin < 0)
                break;
            const QByteArray jeton = cmap.mid(i, fin + 1 - i);
            i = fin + 1;
            if (bloc == Bloc::caracteres) {
                sortie += rang++ % 2 ? remplace(jeton, remplacements) : jeton;
            } else if (bloc == Bloc::plages && dansTableau) {
                sortie += remplace(jeton, remplacements);
            } else if (bloc == Bloc::plages && entree.size() == 2) {
                sortie += plage(entree[0], entree[1], jeton, remplacements);
                entree.clear();
            } else {
                if (bloc == Bloc::plages)
                    entree.append(jeton);
                sortie += jeton;
            }
            continue;
        }
        if (bloc == Bloc::plages && (c == '[' || c == ']')) {
            dansTableau = c == '[';
            if (!dansTableau)
                entree.clear();
        }
        if (std::isalpha(static_cast<unsigned char>(c))) {
            qsizetype fin = i;
            while (fin < cmap.size() && std::isalpha(static_cast<unsigned char>(cmap[fin])))
                ++fin;
            const QByteArray mot = cmap.mid(i, fin - i);
            if (mot == "beginbfchar")
                bloc = Bloc::caracteres, rang = 0;
            else if (mot == "beginbfrange")
                bloc = Bloc::plages, entree.clear(), dansTableau = false;
            else if (mot == "endbfchar" || mot == "endbfrange")
                bloc = Bloc::aucun;
            sortie += mot;
            i = fin;
            continue;
        }
        sortie += c;
        ++i;
    }
    sortie += cmap.mid(i);
    return sortie;
}

bool ideogrammesRetrouves(const QString& pdf, const QString& texte)
{
    const QHash<char16_t, char16_t> remplacements = ideogrammesAReprendre(texte);
    if (remplacements.isEmpty())
        return true;
    const QString nom = QFileInfo(pdf).fileName();
    try {
        QFile fichier(pdf);
        if (!fichier.open(QIODevice::ReadOnly))
            throw std::runtime_error(fichier.errorString().toStdString());
        // Read whole: the file is rewritten in place while qpdf still reads from it.
        const QByteArray octets = fichier.readAll();
        fichier.close();
        QPDF document;
        document.processMemoryFile(local(nom).constData(), octets.constData(), size_t(octets.size()));
        bool change = false;
        for (QPDFObjectHandle objet : document.getAllObjects()) {
            if (!objet.isDictionary() || !objet.getKey("/ToUnicode").isStream())
                continue;
            QPDFObjectHandle flux = objet.getKey("/ToUnicode");
            const std::shared_ptr<Buffer> donnees = flux.getStreamData();
            const QByteArray avant(reinterpret_cast<const char*>(donnees->getBuffer()), qsizetype(donnees->getSize()));
            const QByteArray apres = cmapCorrigee(avant, remplacements);
            if (apres != avant) {
                flux.replaceStreamData(apres.toStdString(), QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
                change = true;
            }
        }
        if (change) {
            QPDFWriter ecrivain(document, local(pdf).constData());
            ecrivain.write();
        }
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        qCWarning(journalPdf).noquote() << QStringLiteral("qpdf : texte de %1 : %2").arg(nom, QString::fromUtf8(e.what()));
        return false;
    }
    return true;
}

} // namespace Conversions

#include "conversions/pdf/Ideogrammes.h"
#include "conversions/pdf/PdfStructure.h"

#include "conversions/Chemins.h"
#include "conversions/Journaux.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cctype>
#include <iterator>
#include <optional>
#include <utility>

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

// The radical supplements that fold to nothing: their equivalent ideographs, as Unicode lists
// them (those outside the basic plane left out).
constexpr std::pair<char16_t, char16_t> equivalents[] = {
    {0x2E81, 0x5382}, {0x2E82, 0x4E5B}, {0x2E83, 0x4E5A}, {0x2E84, 0x4E59}, {0x2E85, 0x4EBB}, {0x2E86, 0x5182}, {0x2E88, 0x5200},
    {0x2E89, 0x5202}, {0x2E8A, 0x535C}, {0x2E8B, 0x353E}, {0x2E8C, 0x5C0F}, {0x2E8D, 0x5C0F}, {0x2E8E, 0x5140}, {0x2E8F, 0x5C23},
    {0x2E90, 0x5C22}, {0x2E92, 0x5DF3}, {0x2E93, 0x5E7A}, {0x2E94, 0x5F51}, {0x2E96, 0x5FC4}, {0x2E97, 0x5FC3}, {0x2E98, 0x624C},
    {0x2E99, 0x6535}, {0x2E9B, 0x65E1}, {0x2E9C, 0x65E5}, {0x2E9D, 0x6708}, {0x2E9E, 0x6B7A}, {0x2EA0, 0x6C11}, {0x2EA1, 0x6C35},
    {0x2EA2, 0x6C3A}, {0x2EA3, 0x706C}, {0x2EA4, 0x722B}, {0x2EA5, 0x722B}, {0x2EA6, 0x4E2C}, {0x2EA7, 0x725B}, {0x2EA8, 0x72AD},
    {0x2EA9, 0x738B}, {0x2EAB, 0x76EE}, {0x2EAC, 0x793A}, {0x2EAD, 0x793B}, {0x2EAF, 0x7CF9}, {0x2EB0, 0x7E9F}, {0x2EB1, 0x7F53},
    {0x2EB2, 0x7F52}, {0x2EB3, 0x34C1}, {0x2EB4, 0x5197}, {0x2EB6, 0x7F8A}, {0x2EB9, 0x8002}, {0x2EBA, 0x8080}, {0x2EBB, 0x807F},
    {0x2EBC, 0x8089}, {0x2EBE, 0x8279}, {0x2EBF, 0x8279}, {0x2EC0, 0x8279}, {0x2EC1, 0x864E}, {0x2EC2, 0x8864}, {0x2EC3, 0x8980},
    {0x2EC4, 0x897F}, {0x2EC5, 0x89C1}, {0x2EC6, 0x89D2}, {0x2EC8, 0x8BA0}, {0x2EC9, 0x8D1D}, {0x2ECB, 0x8F66}, {0x2ECC, 0x8FB6},
    {0x2ECD, 0x8FB6}, {0x2ECE, 0x8FB6}, {0x2ECF, 0x9091}, {0x2ED0, 0x9485}, {0x2ED1, 0x9577}, {0x2ED2, 0x9578}, {0x2ED3, 0x957F},
    {0x2ED4, 0x95E8}, {0x2ED6, 0x961D}, {0x2ED7, 0x96E8}, {0x2ED8, 0x9752}, {0x2ED9, 0x97E6}, {0x2EDA, 0x9875}, {0x2EDB, 0x98CE},
    {0x2EDC, 0x98DE}, {0x2EDD, 0x98DF}, {0x2EDF, 0x98E0}, {0x2EE0, 0x9963}, {0x2EE2, 0x9A6C}, {0x2EE3, 0x9AA8}, {0x2EE4, 0x9B3C},
    {0x2EE5, 0x9C7C}, {0x2EE6, 0x9E1F}, {0x2EE7, 0x5364}, {0x2EE8, 0x9EA6}, {0x2EE9, 0x9EC4}, {0x2EEA, 0x9EFE}, {0x2EEB, 0x6589},
    {0x2EEC, 0x9F50}, {0x2EED, 0x6B6F}, {0x2EEE, 0x9F7F}, {0x2EEF, 0x7ADC}, {0x2EF0, 0x9F99}, {0x2EF1, 0x9F9C}, {0x2EF2, 0x4E80},
};

// The ideograph that `u` stands for, or `u` itself.
char16_t ideogrammeDe(char16_t u)
{
    const QString plie = QString(QChar(u)).normalized(QString::NormalizationForm_KC);
    if (plie.size() == 1 && plie[0].unicode() != u)
        return plie[0].unicode();
    const auto e = std::lower_bound(std::begin(equivalents), std::end(equivalents), std::pair<char16_t, char16_t>(u, 0));
    return e != std::end(equivalents) && e->first == u ? e->second : u;
}

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
            const char16_t ideogramme = ideogrammeDe(u);
            if (ideogramme != u && presents.contains(ideogramme) && !presents.contains(u))
                remplacements.insert(u, ideogramme);
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
            QPDFWriter ecrivain(document);
            ecrireVers(ecrivain, pdf, nom);
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

#include "conversions/documents/Ecritures.h"

#include "conversions/Journaux.h"

#include <QFontDatabase>
#include <QGlyphRun>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QTextDocument>
#include <QTextLayout>

#include <optional>

namespace Conversions {

namespace {

// Distinct characters past this many are not looked at one by one.
constexpr int examinesAuPlus = 4096;

std::optional<QFontDatabase::WritingSystem> asieDeLEst(QChar::Script s)
{
    switch (s) {
    case QChar::Script_Han: case QChar::Script_Bopomofo: return QFontDatabase::SimplifiedChinese;
    case QChar::Script_Hiragana: case QChar::Script_Katakana: return QFontDatabase::Japanese;
    case QChar::Script_Hangul: return QFontDatabase::Korean;
    default: return std::nullopt;
    }
}

std::optional<QFontDatabase::WritingSystem> complexe(QChar::Script s)
{
    switch (s) {
    case QChar::Script_Arabic: return QFontDatabase::Arabic;
    case QChar::Script_Hebrew: return QFontDatabase::Hebrew;
    case QChar::Script_Syriac: return QFontDatabase::Syriac;
    case QChar::Script_Thaana: return QFontDatabase::Thaana;
    case QChar::Script_Devanagari: return QFontDatabase::Devanagari;
    case QChar::Script_Bengali: return QFontDatabase::Bengali;
    case QChar::Script_Gurmukhi: return QFontDatabase::Gurmukhi;
    case QChar::Script_Gujarati: return QFontDatabase::Gujarati;
    case QChar::Script_Oriya: return QFontDatabase::Oriya;
    case QChar::Script_Tamil: return QFontDatabase::Tamil;
    case QChar::Script_Telugu: return QFontDatabase::Telugu;
    case QChar::Script_Kannada: return QFontDatabase::Kannada;
    case QChar::Script_Malayalam: return QFontDatabase::Malayalam;
    case QChar::Script_Sinhala: return QFontDatabase::Sinhala;
    case QChar::Script_Thai: return QFontDatabase::Thai;
    case QChar::Script_Lao: return QFontDatabase::Lao;
    case QChar::Script_Tibetan: return QFontDatabase::Tibetan;
    case QChar::Script_Myanmar: return QFontDatabase::Myanmar;
    case QChar::Script_Khmer: return QFontDatabase::Khmer;
    default: return std::nullopt;
    }
}

// A sans-serif family of the Noto set when one is installed: they cover these scripts whole.
QString chercherFamille(QFontDatabase::WritingSystem systeme)
{
    const QStringList familles = QFontDatabase::families(systeme);
    for (const QString& f : familles)
        if (f.startsWith(QLatin1String("Noto Sans")) && !f.contains(QLatin1String("Mono")))
            return f;
    return familles.isEmpty() ? QString() : familles.first();
}

// Asked for every run of a Word file: the font list is searched once per script.
QString familleDe(QFontDatabase::WritingSystem systeme)
{
    static QMutex verrou;
    static QHash<int, QString> trouvees;
    const QMutexLocker garde(&verrou);
    const auto f = trouvees.constFind(systeme);
    return f != trouvees.constEnd() ? *f : *trouvees.insert(systeme, chercherFamille(systeme));
}

template <typename Choix>
QString premiereFamille(const QString& texte, Choix choix)
{
    for (const char32_t u : QStringView(texte).toUcs4())
        if (const auto systeme = choix(QChar::script(u)))
            return familleDe(*systeme);
    return {};
}

// Characters that are drawn with their neighbours or not at all: nothing to miss alone.
bool dessinable(char32_t u)
{
    switch (QChar::category(u)) {
    case QChar::Other_Control: case QChar::Other_Format: case QChar::Other_Surrogate:
    case QChar::Mark_NonSpacing: case QChar::Mark_SpacingCombining: case QChar::Mark_Enclosing:
    case QChar::Separator_Space: case QChar::Separator_Line: case QChar::Separator_Paragraph:
        return false;
    default:
        return u != QChar::ObjectReplacementCharacter;
    }
}

// Whether the layout of `texte` in `police`, with its fallbacks, leaves a glyph out (index 0).
bool glypheManquant(const QString& texte, const QFont& police)
{
    QTextLayout mise(texte, police);
    mise.beginLayout();
    for (QTextLine ligne = mise.createLine(); ligne.isValid(); ligne = mise.createLine())
        ligne.setLineWidth(1e6);
    mise.endLayout();
    for (const QGlyphRun& run : mise.glyphRuns())
        for (const quint32 g : run.glyphIndexes())
            if (g == 0)
                return true;
    return false;
}

} // namespace

QString policeAsieDeLEst(const QString& texte) { return premiereFamille(texte, asieDeLEst); }

QString policeComplexe(const QString& texte) { return premiereFamille(texte, complexe); }

QString caracteresSansPolice(const QString& texte, const QFont& police, int auPlus)
{
    QList<char32_t> distincts;
    QSet<char32_t> vus;
    // Walked in place: a long document's text is not copied once more.
    for (qsizetype i = 0; i < texte.size() && distincts.size() < examinesAuPlus; ++i) {
        char32_t u = texte[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < texte.size() && texte[i + 1].isLowSurrogate()) {
            u = QChar::surrogateToUcs4(texte[i], texte[i + 1]);
            ++i;
        }
        if (dessinable(u) && !vus.contains(u)) {
            vus.insert(u);
            distincts.append(u);
        }
    }
    QString tous;
    for (const char32_t u : distincts)
        tous += QString::fromUcs4(&u, 1) + QLatin1Char(' ');
    // One layout answers for the usual document, where every character is drawn.
    if (!glypheManquant(tous, police))
        return {};
    QString manquants;
    int n = 0;
    for (const char32_t u : distincts) {
        if (n >= auPlus)
            break;
        const QString c = QString::fromUcs4(&u, 1);
        if (glypheManquant(c, police)) {
            manquants += c;
            ++n;
        }
    }
    return manquants;
}

void signalerCaracteresSansPolice(const QTextDocument& texte, const QString& nom)
{
    const QString manquants = caracteresSansPolice(texte.toRawText(), texte.defaultFont());
    if (manquants.isEmpty())
        return;
    QStringList codes;
    for (const char32_t u : QStringView(manquants).toUcs4())
        codes.append(QStringLiteral("U+%1").arg(static_cast<uint>(u), 4, 16, QLatin1Char('0')).toUpper());
    qCWarning(journalDocuments).noquote() << nom + QStringLiteral(" : aucune police installée ne dessine « ")
                                                 + manquants + QStringLiteral(" » (") + codes.join(QStringLiteral(", "))
                                                 + QStringLiteral(")");
}

} // namespace Conversions

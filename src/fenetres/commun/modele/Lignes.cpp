#include "fenetres/commun/modele/Lignes.h"

#include "tesselui/Guillemets.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <cmath>
#include <optional>

namespace Lignes {

namespace {

// The lines and the width of the widest.
struct Coupe {
    QStringList lignes;
    double large = 0;
};

Coupe mettreEnLignes(const QString& texte, const QFont& police, double largeur)
{
    Coupe c;
    QTextLayout mise(texte, police);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);  // never inside a word
    mise.setTextOption(option);
    mise.beginLayout();
    for (QTextLine l = mise.createLine(); l.isValid(); l = mise.createLine()) {
        l.setLineWidth(largeur);
        c.lignes << texte.mid(l.textStart(), l.textLength()).trimmed();
        c.large = std::max(c.large, l.naturalTextWidth());
    }
    mise.endLayout();
    return c;
}

// The lines when `texte` fits `n` lines of `largeur`.
std::optional<QStringList> tenir(const QString& texte, const QFont& police, double largeur, int n)
{
    Coupe c = mettreEnLignes(texte, police, largeur);
    if (c.lignes.size() > n || c.large > largeur + 0.01)
        return std::nullopt;
    return c.lignes;
}

// The lines when `texte` fits `n` lines no wider than `largeur`: filled to `largeur`, else
// broken narrower (filling each line may push a long word alone onto a line it overflows).
std::optional<QStringList> dansLaLargeur(const QString& texte, const QFont& police, double largeur, int n)
{
    if (auto lignes = tenir(texte, police, largeur, n))
        return lignes;
    const int etroite = largeurPour(texte, police, n);
    return etroite <= largeur ? tenir(texte, police, etroite, n) : std::nullopt;
}

// Where the quoted `nom` stands in `texte`: from its first character to just after its last.
std::optional<std::pair<qsizetype, qsizetype>> nomCite(const QString& texte, const QString& nom)
{
    if (nom.isEmpty())
        return std::nullopt;
    // Bound as the text's own guillemets are; the name may hold guillemets of its own.
    const QString cite = Guillemets::insecables(QStringLiteral("\u00AB ") + nom + QStringLiteral(" \u00BB"));
    const qsizetype ou = texte.lastIndexOf(cite);
    if (ou < 0)
        return std::nullopt;
    return std::pair{ou + 2, ou + 2 + nom.size()};
}

// The text with its quoted name shortened in its middle to `budget` wide. The ellipsis is
// joined to both halves: the name never breaks at the cut.
QString raccourci(const QString& texte, std::pair<qsizetype, qsizetype> nom, const QFontMetricsF& m, double budget)
{
    const QString entier = texte.mid(nom.first, nom.second - nom.first);
    QString court = m.elidedText(entier, Qt::ElideMiddle, budget);
    if (court != entier)
        court.replace(QChar(0x2026), QStringLiteral("\u2060\u2026\u2060"));
    return texte.left(nom.first) + court + texte.mid(nom.second);
}

// The last resort: `n` − 1 lines as they come, the rest elided into the last.
QStringList elider(const QString& texte, const QFont& police, double largeur, int n)
{
    const QFontMetricsF m(police);
    const QStringList toutes = mettreEnLignes(texte, police, largeur).lignes;
    QStringList lignes;
    for (qsizetype i = 0; i < toutes.size() && lignes.size() < n; ++i) {
        const bool derniere = lignes.size() == n - 1;
        const QString morceau = derniere ? QStringList(toutes.mid(i)).join(QLatin1Char(' ')) : toutes[i];
        lignes << m.elidedText(morceau, Qt::ElideRight, largeur);
    }
    return lignes;
}

} // namespace

QStringList couper(const QString& texte, const QFont& police, double largeur)
{
    return mettreEnLignes(texte, police, largeur).lignes;
}

int largeurPour(const QString& source, const QFont& police, int n)
{
    const QString texte = Guillemets::insecables(source);
    if (texte.isEmpty())
        return 0;
    int bas = 1, haut = int(std::ceil(QFontMetricsF(police).horizontalAdvance(texte))) + 1;
    while (!tenir(texte, police, haut, n))
        haut *= 2;  // a layout a hair wider than the plain advance
    // `haut` always fits.
    while (bas < haut) {
        const int milieu = (bas + haut) / 2;
        if (tenir(texte, police, milieu, n))
            haut = milieu;
        else
            bas = milieu + 1;
    }
    return haut;
}

QStringList ajuster(const QString& source, const QFont& police, double largeur, int n, const QString& cite)
{
    const QString texte = Guillemets::insecables(source);
    if (texte.isEmpty() || n < 1)
        return {};
    if (auto lignes = dansLaLargeur(texte, police, largeur, n))
        return *lignes;
    const auto nom = nomCite(texte, cite);
    if (!nom)
        return elider(texte, police, largeur, n);
    // The widest shortening of the name that fits.
    const QFontMetricsF m(police);
    int bas = 0, haut = int(std::ceil(m.horizontalAdvance(texte.mid(nom->first, nom->second - nom->first))));
    if (!dansLaLargeur(raccourci(texte, *nom, m, bas), police, largeur, n))
        return elider(raccourci(texte, *nom, m, largeur / 3), police, largeur, n);
    while (bas < haut) {
        const int milieu = (bas + haut + 1) / 2;
        if (dansLaLargeur(raccourci(texte, *nom, m, milieu), police, largeur, n))
            bas = milieu;
        else
            haut = milieu - 1;
    }
    return *dansLaLargeur(raccourci(texte, *nom, m, bas), police, largeur, n);
}

} // namespace Lignes

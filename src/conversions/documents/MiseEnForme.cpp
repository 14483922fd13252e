#include "conversions/documents/MiseEnForme.h"

namespace Conversions {

void MiseEnForme::recouvrir(const MiseEnForme& dessus)
{
    if (dessus.gras) gras = dessus.gras;
    if (dessus.italique) italique = dessus.italique;
    if (dessus.souligne) souligne = dessus.souligne;
    if (dessus.taille) taille = dessus.taille;
    if (dessus.couleur) couleur = dessus.couleur;
    if (dessus.police) police = dessus.police;
    sautAvant = sautAvant || dessus.sautAvant;
}

QTextCharFormat MiseEnForme::format() const
{
    QTextCharFormat f;
    if (gras && *gras)
        f.setFontWeight(QFont::Bold);
    if (italique && *italique)
        f.setFontItalic(true);
    if (souligne && *souligne)
        f.setFontUnderline(true);
    if (taille && *taille > 0 && *taille <= 1638)
        f.setFontPointSize(*taille);
    if (couleur && couleur->isValid())
        f.setForeground(*couleur);
    if (police && !police->isEmpty())
        f.setFontFamilies({*police});
    return f;
}

QString attributSansEspace(const QXmlStreamReader& x, QStringView nom)
{
    for (const QXmlStreamAttribute& a : x.attributes())
        if (a.name() == nom)
            return a.value().toString();
    return {};
}

bool active(QStringView valeur)
{
    return !(valeur == u"0" || valeur == u"false" || valeur == u"off" || valeur == u"none");
}

} // namespace Conversions

#include "roue/Retouche.h"

#include "plateforme/Bureau.h"

#include <QCoreApplication>
#include <QUrlQuery>
#include <algorithm>

namespace Roue {

namespace {

QString tr(const char* texte) { return QCoreApplication::translate("Roue", texte); }

Retouche::Outil outil(const char* cle, const char* titre, const char* symbole, const char* phrase)
{
    return {QString::fromLatin1(cle), tr(titre), QString::fromLatin1(symbole), tr(phrase)};
}

QColor opaque(int r, int g, int b) { return QColor::fromRgb(r, g, b); }

QColor translucide(int r, int g, int b, double opacite)
{
    QColor c = QColor::fromRgb(r, g, b);
    c.setAlphaF(static_cast<float>(opacite));
    return c;
}

// QUrlQuery takes "%xx" in a value as already encoded: a path holding "%20" would come
// out as a blank. '+' reads as a blank to form decoders. Both are escaped first.
QString valeur(QString v)
{
    v.replace(QLatin1Char('%'), QLatin1String("%25"));
    v.replace(QLatin1Char('+'), QLatin1String("%2B"));
    return v;
}

} // namespace

QString Retouche::identifiantPDF() { return QStringLiteral("com.ormelin.folio"); }
QString Retouche::identifiantImage() { return QStringLiteral("com.atelierbrumeux.croquis"); }

Retouche Retouche::offrePDF(std::optional<QString> app)
{
    return {QStringLiteral("Vemo Folio"),
            QStringLiteral("vemo-folio"),
            std::move(app),
            {outil("signer", "Signer", "signature", "Signer"),
             outil("remplir", "Remplir", "character.cursor.ibeam", "Remplir"),
             outil("caviarder", "Caviarder", "text.redaction", "Caviarder"),
             outil("pages", "Pages", "square.grid.2x2", "Réorganiser les pages")},
            {opaque(251, 211, 194), opaque(246, 198, 211), opaque(221, 210, 243)},
            translucide(246, 176, 150, 0.6)};
}

Retouche Retouche::offreImage(std::optional<QString> app)
{
    return {QStringLiteral("Vemo Croquis"),
            QStringLiteral("vemo-croquis"),
            std::move(app),
            {outil("recadrer", "Recadrer", "crop", "Recadrer"),
             outil("annoter", "Annoter", "pencil.and.scribble", "Annoter"),
             outil("masquer", "Masquer", "eye.slash", "Masquer les infos"),
             outil("lumiere", "Lumière", "sun.max", "Retoucher la lumière")},
            {opaque(243, 176, 205), opaque(246, 207, 196), opaque(215, 202, 243)},
            translucide(240, 160, 196, 0.62)};
}

std::optional<Retouche> Retouche::pour(const QStringList& chemins)
{
    if (chemins.size() != 1)
        return std::nullopt;
    switch (Conversions::genre(chemins.first())) {
    case Conversions::Genre::pdf:
        return offrePDF(Bureau::application(identifiantPDF()));
    case Conversions::Genre::image:
        return offreImage(Bureau::application(identifiantImage()));
    default:
        return std::nullopt;
    }
}

bool Retouche::interne(const QString& cle)
{
    static const QStringList cles{QStringLiteral("recadrer"), QStringLiteral("lumiere"),
                                  QStringLiteral("masquer"), QStringLiteral("annoter")};
    return cles.contains(cle);
}

bool Retouche::toutInterne() const
{
    return std::all_of(outils.begin(), outils.end(), [](const Outil& o) { return interne(o.cle); });
}

Conversions::Petale Retouche::petale() const
{
    const QString phrase = !app && !toutInterne() ? tr("Avec ") + nom : tr("Modifier");
    return {QStringLiteral("modifier"), tr("Modifier"), QStringLiteral("pencil"), phrase};
}

QString Retouche::etiquette() const
{
    if (toutInterne())
        return tr("Retouches");
    return app ? nom : tr("Avec ") + nom;
}

std::optional<QUrl> Retouche::lien(const Outil& outil, const QString& fichier) const
{
    QUrlQuery requete;
    requete.addQueryItem(QStringLiteral("nom"), valeur(outil.cle));
    requete.addQueryItem(QStringLiteral("fichier"), valeur(fichier));
    QUrl url;
    url.setScheme(schema);
    url.setHost(QStringLiteral("outil"));
    url.setQuery(requete);
    if (!url.isValid() || url.scheme() != schema)
        return std::nullopt;
    return url;
}

} // namespace Roue

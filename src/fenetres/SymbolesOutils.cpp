#include "fenetres/SymbolesOutils.h"

#include "roue/Symboles.h"
#include "tesselui/Icone.h"

#include <QFile>
#include <QHash>

// The library is static: its resources must be registered by hand, outside any namespace.
static void initialiserSymbolesOutils() { Q_INIT_RESOURCE(SymbolesOutils); }

namespace SymbolesOutils {

QImage image(const QString& nom, double cote, const QColor& couleur, double echelle)
{
    const QImage commun = Symboles::image(nom, cote, couleur, echelle);
    if (!commun.isNull())
        return commun;
    static const bool pret = (initialiserSymbolesOutils(), true);
    (void)pret;
    static const QHash<QString, QString> propres{
        {QStringLiteral("arrow.up.right"), QStringLiteral("arrow-up-right")},
        {QStringLiteral("rectangle"), QStringLiteral("rectangle-horizontal")},
        {QStringLiteral("textformat"), QStringLiteral("type")},
        {QStringLiteral("arrow.uturn.backward"), QStringLiteral("undo-2")},
    };
    const auto i = propres.constFind(nom);
    if (i == propres.cend())
        return {};
    QFile f(QStringLiteral(":/icones-outils/%1.svg").arg(*i));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QByteArray svg = f.readAll();
    svg.replace("currentColor", "#000000");  // the tint is applied afterwards
    return Icone::teinte(svg, cote, couleur, echelle);
}

} // namespace SymbolesOutils

#include "tesselui/Symboles.h"

#include "tesselui/Icone.h"

#include <QCache>
#include <QFile>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>
#include <cmath>

// The library is static: its resources must be registered by hand, outside any namespace.
static void initialiserIcones() { Q_INIT_RESOURCE(Symboles); }

namespace {

void chargerRessources()
{
    static const bool fait = (initialiserIcones(), true);
    (void)fait;
}

// System symbol name → icon of the set.
const QHash<QString, QString>& table()
{
    static const QHash<QString, QString> t{
        {"photo", "image"},
        {"photo.stack", "images"},
        {"doc.richtext", "file-image"},
        {"doc.text", "file-text"},
        {"doc.on.doc", "files"},
        {"doc.zipper", "file-archive"},
        {"text.alignleft", "align-left"},
        {"text.viewfinder", "scan-text"},
        {"person.crop.rectangle", "square-user"},
        {"film", "film"},
        {"square.split.2x1", "columns-2"},
        {"archivebox", "archive"},
        {"waveform", "audio-waveform"},
        {"arrow.down.right.and.arrow.up.left", "minimize-2"},
        {"scissors", "scissors"},
        {"pencil", "pencil"},
        {"ellipsis", "ellipsis"},
        {"signature", "signature"},
        {"character.cursor.ibeam", "text-cursor-input"},
        {"text.redaction", "highlighter"},
        {"square.grid.2x2", "layout-grid"},
        {"crop", "crop"},
        {"pencil.and.scribble", "pencil-line"},
        {"eye.slash", "eye-off"},
        {"sun.max", "sun"},
        // Status icon and tool windows.
        {"checkmark.circle.fill", "circle-check"},
        {"exclamationmark.circle.fill", "circle-alert"},
        {"circle.circle", "circle-dot"},
        {"play.fill", "play"},
        {"pause.fill", "pause"},
        {"wand.and.stars", "wand-sparkles"},
        {"arrow.up.right", "arrow-up-right"},
        {"rectangle", "rectangle-horizontal"},
        {"textformat", "type"},
        {"arrow.uturn.backward", "undo-2"},
        // The names the design system always takes for system symbols.
        {"circle", "circle"},
        {"square", "square"},
        {"app", "app"},
        {"rectangle.portrait", "rectangle-portrait"},
    };
    return t;
}

} // namespace

namespace Symboles {

QString fichier(const QString& nom)
{
    chargerRessources();
    const auto i = table().constFind(nom);
    return i == table().cend() ? QString() : QStringLiteral(":/icones/%1.svg").arg(*i);
}

QStringList noms() { return table().keys(); }

QImage image(const QString& nom, double cote, const QColor& couleur, double echelle)
{
    chargerRessources();
    static QCache<QString, QImage> cache(256);
    const QString cle = QStringLiteral("%1|%2|%3|%4").arg(nom).arg(cote).arg(couleur.rgba()).arg(echelle);
    if (const QImage* i = cache.object(cle))
        return *i;
    const QString chemin = fichier(nom);
    if (chemin.isEmpty())
        return {};
    const QImage im = Icone::teinte(Icone::svg(chemin), cote, couleur, echelle);
    if (im.isNull())
        return {};
    cache.insert(cle, new QImage(im));
    return im;
}

} // namespace Symboles

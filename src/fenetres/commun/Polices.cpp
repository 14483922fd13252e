#include "fenetres/commun/Polices.h"

#include "tesselui/Paquet.h"

#include <QFileInfo>
#include <QFontDatabase>

namespace Polices {

static const QString famille = QStringLiteral("Instrument Serif");

void inscrire()
{
    const QString fichier = Paquet::principal() + QStringLiteral("/InstrumentSerif-Regular.ttf");
    if (QFileInfo(fichier).isFile())
        Paquet::inscrire({fichier});
}

QFont titre(double taille)
{
    QFont police;
    if (QFontDatabase::families().contains(famille)) {
        police = QFont(famille);
    } else {
        police.setStyleHint(QFont::Serif);
        police.setFamily(QStringLiteral("serif"));
    }
    police.setPixelSize(qMax(1, qRound(taille)));
    return police;
}

} // namespace Polices

#pragma once

#include <QFont>
#include <QHash>
#include <QMutex>
#include <QString>

class QPainter;
class QRectF;

// The design system's text face, "Inter", at a size (logical pixels) and a weight on its
// axis. The bundle carries static instances at the weights used (350, 400, 500): Qt cannot
// move a variable font's weight axis.
namespace Vavirud {

// The cache key: both numbers in their shortest form, with at least one decimal ("13.0-400.0").
QString cle(double taille, double poids);
// The font, made once per key under a lock (any thread).
QFont police(double taille, double poids);
// The same with the system's tracking: size × −0.025 between letters.
QFont texte(double taille, double poids);

// `texte` on one line within `largeur`, cut with an ellipsis only when it overflows
// (Qt's eliding ignores negative letter spacing and would cut texts that fit).
QString elide(const QFont& f, const QString& texte, double largeur);

// A paragraph wrapped within `largeur`, at word boundaries (anywhere inside a word too long
// for a line), never leaving a guillemet alone on a line: its height, and its painting from the top left of `zone`, clipped to `zone`.
double hauteurParagraphe(const QFont& f, const QString& texte, double largeur);
// The paragraph's widest line once wrapped within `largeur`.
double largeurParagraphe(const QFont& f, const QString& texte, double largeur);
void peindreParagraphe(QPainter& p, const QFont& f, const QRectF& zone, const QString& texte);

QFont caption();      // 13, 400
QFont body();         // 15, 400
QFont subheading();   // 20, 350
QFont heading();      // 30, 350
QFont headingLarge(); // 64, 350

// A process-wide font cache: entries are made under the lock and never removed.
struct Cache {
    QMutex verrou;
    QHash<QString, QFont> polices;
};
// A font of `famille` at that size and weight, cached under `cle` in `cache`.
QFont depuis(Cache& cache, const QString& famille, double taille, double poids);
Cache& cacheInter();

} // namespace Vavirud

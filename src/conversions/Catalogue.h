#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QHash>
#include <optional>

namespace Conversions {

// The kinds of dropped files and the petals that suit them.
enum class Genre { image, pdf, son, video, texte, dossier, archive, autre };

// One offered conversion. `id` is the target handed to Conversions::convertir.
struct Petale {
    QString id;
    QString titre;
    QString symbole;
    std::optional<QString> phrase;

    // What the mascot says for this petal.
    QString annonce() const;
    bool operator==(const Petale&) const = default;
};

// Extensions the catalogue and the converters share (the sound and video ones that
// need ffmpeg, the texts, the pictures only Qt or libraw reads).
const QSet<QString>& sonsFFmpeg();
const QSet<QString>& videosFFmpeg();
const QSet<QString>& textes();
const QSet<QString>& imagesQt();
const QSet<QString>& imagesRaw();

const Petale& unSeulPDF();
const Petale& zip();
const Petale& leger();
const Petale& couper();

// The kind of a file, from its name (and whether it is a folder).
Genre genre(const QString& chemin);
// The catalogue for a list of files, without the zip rule.
QList<Petale> petalesDuGenre(const QStringList& chemins);
// The petals for dragged files, in ring order (clockwise from the top).
QList<Petale> petales(const QStringList& chemins);
// The same with a lone PDF's page count already known (`pages`, 0 when unknown), for callers
// that cannot wait for it: the wheel counts away from the GUI thread.
QList<Petale> petales(const QStringList& chemins, int pages);
// Whether the petals of these files depend on a PDF's page count (one PDF alone).
bool comptePages(const QStringList& chemins);
// The sentence for a drag that gets no petal.
QString refus(const QStringList& chemins);

// Bounded reads for the catalogue: no full decode.
// A PDF's pages, 0 when it does not open, when the count passes its bounds, or when no
// counter is set. It may take seconds: the GUI thread never waits for it.
int nombreDePages(const QString& pdf);
// The PDF library sits above the core: the dispatcher hands its page counter in when the
// program starts (a counter gives 0 for a PDF it cannot open).
using CompteurDePages = int (*)(const QString& pdf);
void compterLesPagesAvec(CompteurDePages compteur);
// Images of a GIF, counted up to `auPlus` in its first `octetsAuPlus` bytes (8 MB for the
// drag; all of it when negative); 0 for anything but a regular file.
int nombreDImages(const QString& gif, int auPlus = 2, qint64 octetsAuPlus = 8 << 20);

} // namespace Conversions

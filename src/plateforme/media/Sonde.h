#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

namespace Media {

// The demuxers allowed to open a dropped file. None of them reads a list of other
// files or addresses (playlists, concat scripts, manifests): a text playlist renamed
// .ts must not make us read a file the user never dropped.
const char* formatsSurs();

// A regular file (links followed): not a pipe or device that would block a reader.
bool fichierOrdinaire(const QString& chemin);

enum class TypeDeFlux { video, son, autre };

struct Flux {
    int index = 0;
    TypeDeFlux type = TypeDeFlux::autre;
    int codec = 0;            // AVCodecID
    bool vignette = false;    // a cover picture, not a moving stream
    int64_t debit = 0;        // bits per second; 0 when the file does not say
    bool chiffre = false;     // its samples are encrypted: nothing decodes them without the key
};

struct Sondage {
    QString format;           // the demuxer's name
    double duree = 0;         // seconds; not finite when the file does not say
    int64_t debit = 0;        // the whole file's bits per second; 0 when unknown
    QList<Flux> flux;

    // The moving streams of a type, cover pictures left out.
    QList<Flux> de(TypeDeFlux type) const;
    // The first moving picture's bits per second, else what the file's rate leaves
    // beside its sounds; 0 when neither is known.
    int64_t debitVideo() const;
    // Whether a moving picture or sound stream is encrypted.
    bool chiffre() const;
    // A sound whose file is too small for the length its header promises at its rate (an MP3
    // cut short, whose Xing header still counts the whole one's frames).
    bool courtPourSonEntete() const;
};

// Opens a local file (the file protocol and the safe demuxers only) and lists its
// streams. None when it cannot be read or is refused.
std::optional<Sondage> sonder(const QString& chemin);

// The end of the first sound stream's last packet in seconds, reading every packet to the end
// of the file (without decoding them); not finite when none can be read. Blocking.
double dureeLue(const QString& chemin);

// Whether the first picture stream of a file is 8-bit planar YUV whose colour is sampled on
// every pixel (4:4:4); false when it cannot be read. Blocking.
bool imagesYuv444(const QString& chemin);

// Whether stream `index` of a file decodes: its first packets give sound or pictures, not
// errors (a stream copied as it is must be one that players can read).
bool fluxDecodable(const QString& chemin, int index);

// Whether the muxer `conteneur` ("mp4", "mov", "ipod") takes `codec` as it is.
bool conteneurAccepte(const char* conteneur, int codec);

// The AAC codec id, for callers that do not include libav.
int codecAAC();

} // namespace Media

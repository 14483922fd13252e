#pragma once

#include "conversions/Erreur.h"
#include "conversions/Progression.h"

#include <atomic>


namespace Conversions {

// The ffmpeg executable beside the running program, looked up afresh; empty when none.
QString ffmpeg();
// The executable file "ffmpeg" in `dossier` (links resolved), or empty.
QString ffmpegDans(const QString& dossier);
// The failure of every conversion when ffmpeg is missing.
Erreur moteurManquant();
// A conversion to pictures of a file of sound alone: « x » n’a pas d’image.
Erreur sansImage(const QString& nom);

// Runs ffmpeg with `arguments` (after the fixed prefix), blocking, with progress.
// `source` only names the file in messages. Every input ("-i") is opened with the
// file protocol and the safe demuxers only. Once `arret` is set (by another thread), the
// run ends within half a second: ffmpeg is killed and Annulee thrown. An output that ffmpeg
// could not write to its end (a full disk) throws std::system_error, even when it exits 0.
void lancerFFmpeg(const QStringList& arguments, const QString& source, const Progression& progression,
                  const std::atomic<bool>* arret = nullptr);
// ffmpeg's arguments that decode the sound of `source` into the WAV `wav` (16 bits, RF64 past
// 4 GB): the intermediate of the sound conversions and the trim window's preview. With
// `octetsAuPlus`, ffmpeg writes no more than that.
QStringList argumentsDeWav(const QString& source, const QString& wav, qint64 octetsAuPlus = 0);
// The bytes of samples of that WAV, by the length the source declares; 0 when it says none.
qint64 octetsDuWav(const QString& source);
// A sound that only ffmpeg reads, to "mp3", "m4a", "wav" or "aiff".
QString sonParFFmpeg(const QString& source, const QString& id, const Progression& progression);
// A video that only ffmpeg reads, to "mp4" or its sound alone ("m4a").
QString videoParFFmpeg(const QString& source, const QString& id, const Progression& progression);
} // namespace Conversions

#pragma once

#include "conversions/Erreur.h"
#include "conversions/Progression.h"


namespace Conversions {

// The ffmpeg executable beside the running program, looked up afresh; empty when none.
QString ffmpeg();
// The executable file "ffmpeg" in `dossier` (links resolved), or empty.
QString ffmpegDans(const QString& dossier);
// The failure of every conversion when ffmpeg is missing.
Erreur moteurManquant();

// Runs ffmpeg with `arguments` (after the fixed prefix), blocking, with progress.
// `source` only names the file in messages. Every input ("-i") is opened with the
// file protocol and the safe demuxers only.
void lancerFFmpeg(const QStringList& arguments, const QString& source, const Progression& progression);
// ffmpeg's arguments that decode the sound of `source` into the WAV `wav` (16 bits, RF64 past
// 4 GB): the intermediate of the sound conversions and the trim window's preview.
QStringList argumentsDeWav(const QString& source, const QString& wav);
// A sound that only ffmpeg reads, to "mp3", "m4a", "wav" or "aiff".
QString sonParFFmpeg(const QString& source, const QString& id, const Progression& progression);
// A video that only ffmpeg reads, to "mp4" or its sound alone ("m4a").
QString videoParFFmpeg(const QString& source, const QString& id, const Progression& progression);
} // namespace Conversions

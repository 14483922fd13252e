#pragma once

#include <QtGlobal>

class QIODevice;

// A stream copy of Ogg Opus begins and ends on whole packets, and a decoder needs some of them
// before the passage to settle. The format says how much of the first packets to drop (the
// header's pre-skip) and where the sound ends (the last page's granule position); these are
// set here, so that the passage decodes to the sample.
namespace OggOpus {

// Rewrites in place the Ogg Opus file in `f` (open for reading and writing), as a stream copy
// wrote it: its first packet starts at granule 0, decoders drop its first `avance` samples
// (48 kHz, at most 65 535) and play `longueur` samples after them. Pages of other streams are
// left as they are. Throws std::runtime_error when the file is not such an Opus stream.
void rogner(QIODevice& f, qint64 avance, qint64 longueur);

} // namespace OggOpus

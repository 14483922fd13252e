#pragma once

#include <QImage>
#include <QList>
#include <QRectF>

// The mask tool's picture work: finding personal data, the blurred copy, and the photo with
// the copy shown through the zones. Zones are in the photo's pixels, origin top-left.
// Blocking: run them on a worker thread.
namespace Retouches {

// The boxes of the e-mail addresses, French phone numbers and card numbers the photo shows,
// line after line and pattern after pattern, each grown by a small margin; overlaps are
// kept. A large photo is read on a reduced copy. Never fails: a failure gives no zone.
QList<QRectF> infosSensibles(const QImage& photo);

// The photo pixellated and blurred beyond reading, edges clamped, at its own size. A null
// image when the blur cannot be made or would change nothing.
QImage flouter(const QImage& photo);

// The photo with `flou` in place of its pixels inside every zone (a zone partly outside is
// clipped; whole pixels, rounded outwards). Refuses a missing or unchanged blurred copy, which
// would hide nothing.
QImage masquer(const QImage& photo, const QImage& flou, const QList<QRectF>& zones);

} // namespace Retouches

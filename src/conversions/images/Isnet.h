#pragma once

#include "conversions/travail/EnParallele.h"
#include "conversions/images/OpenCV.h"

#include <QString>
#include <optional>

// The learned cut-out: a general-subject segmentation model (ISNet) run by OpenCV's DNN
// module. The model is loaded on first use and released after a minute without use.
namespace Conversions::Isnet {

// Where the model is looked for: beside the executable (modeles/), then in the user's data
// folder, where the set-up installs it.
QString chemin();

// Tests and benchmarks point at another file; an absent one takes the classical road.
// An empty path restores the usual places.
void imposerChemin(const QString& chemin);

// Starts reading the model in the background when it is there and not yet in memory, so
// that decoding a photo and loading the network overlap. masque() waits for it.
void preparer();

// The subject's soft mask at the image's size (0 background, 255 subject) for an RGBA
// image; nothing when the model is absent or unreadable (said once in the log). The
// network takes the cores that other processes left idle since `debut`.
std::optional<cv::Mat1b> masque(const cv::Mat& rgba, const Releve& debut);

} // namespace Conversions::Isnet

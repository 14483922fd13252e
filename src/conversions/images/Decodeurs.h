#pragma once

#include "conversions/images/Vips.h"

#include <optional>

namespace Conversions {

// Set on every picture decoded here: it is already whole in memory, upright and in sRGB.
inline constexpr const char* champEnMemoire = "vemo-en-memoire";

// Pictures that libvips' trusted loaders do not read, decoded whole into memory with the
// same size guard. Throw Erreur::lecture.

// BMP, ICO and TGA through Qt's reader for that format alone (never guessed from the
// contents), BMPs of bit fields through our own; the largest picture of an icon; in sRGB.
vips::VImage lireParQt(const QString& chemin);
// BMP, TGA and TIFF through libav's decoder for that format (every TGA kind, top-down BMP,
// subsampled TIFF); in sRGB, alpha kept when a pixel uses it. Old-style JPEG TIFFs are refused.
vips::VImage lireParLibav(const QString& chemin);
// A TGA: grey and alpha of 16 bits a pixel by our own reader, any other kind by libav's.
vips::VImage lireTga(const QString& chemin);
// Whether lireParLibav() knows the file's format, by its extension.
bool lisibleParLibav(const QString& chemin);
// Whether the file is a TIFF compressed with the old-style JPEG scheme (libvips and libav
// give a wrong picture of it).
bool tiffJpegAncien(const QString& chemin);
// A TIFF through libtiff's RGBA interface (such a one, or tiles of separate planes of kinds
// lireTiffAEchantillonsRares() does not read), in 8-bit RGB with its alpha.
vips::VImage lireTiffParRgba(const QString& chemin);
// A TIFF whose samples or layout libvips refuses or misreads and libav misreads (12-bit or
// other odd-width integers, 4-bit RGBA, half floats, floats and signed integers of
// min-is-white, in strips or tiles), read by libtiff: integers scaled from their type's
// whole range, min-is-white turned over, floats as linear light. Separate planes of bytes or
// words in tiles, or of Lab, are interleaved as stored and converted as libvips converts
// their contiguous twin (Lab, CMYK through its own profile, associated alpha made straight).
// 8-bit, upright, alpha kept. The picture and a strip or tile are set aside first (Reserve):
// « … » est trop grand otherwise. Empty when the file is no such TIFF.
std::optional<vips::VImage> lireTiffAEchantillonsRares(const QString& chemin);
// Camera RAW developed by libraw (camera white balance, sRGB, 8 bits), turned upright.
vips::VImage lireRaw(const QString& chemin);

} // namespace Conversions

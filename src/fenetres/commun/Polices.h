#pragma once

#include <QFont>

// The tool windows' title font.
namespace Polices {

// Registers "InstrumentSerif-Regular.ttf" of the application's resources; nothing when
// the file is missing. Called once at launch, first of the font registrations.
void inscrire();

// The title face at `taille` points (one point = one logical pixel), else the system's
// serif face at that size.
QFont titre(double taille);

} // namespace Polices

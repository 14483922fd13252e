#pragma once

// What screen readers see of the tool windows' painted pieces: the header's title and badge
// as two texts, and each option of a choice of pills as a button with its checked state and
// its press action. Installed once, by the first such piece made.
namespace Accessibles {

void installer();

} // namespace Accessibles

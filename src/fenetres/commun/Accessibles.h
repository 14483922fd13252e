#pragma once

// What screen readers see of the tool windows' painted pieces: the header's title and badge
// as two texts, each option of a choice of pills as a button with its checked state and
// its press action, and a failure as a text named by what it says. Installed once, by the first such piece made.
namespace Accessibles {

void installer();

} // namespace Accessibles

#pragma once

#include <QString>
#include <chrono>

namespace Conversions {

// How long and how much memory a page count may take: a count is made on every drag entry,
// and a small file may declare millions of objects.
inline constexpr std::chrono::milliseconds delaiDuCompte{10'000};
inline constexpr qsizetype memoireDuCompte = 256 << 20;

// The pages of a PDF as qpdf walks them, repairing a damaged cross-reference table as the
// conversions do. qpdf runs in a child process killed past `delai` and whose allocations
// fail past memoireDuCompte: a locked, unreadable or hostile document, or one whose count
// does not end within these bounds, gives 0 (no « Séparer »).
int compterPages(const QString& chemin, std::chrono::milliseconds delai = delaiDuCompte);

} // namespace Conversions

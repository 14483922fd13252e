#include "conversions/JournalMoteur.h"

namespace Conversions {

std::function<void(const QString&)> journalMoteur;

} // namespace Conversions

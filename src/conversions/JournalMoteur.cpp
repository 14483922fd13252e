#include "conversions/JournalMoteur.h"

namespace Conversions {

std::function<void(const QString&)> journalMoteur;
std::function<void(const QString&)> journalDetails;

} // namespace Conversions

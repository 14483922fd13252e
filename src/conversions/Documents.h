#pragma once

#include "conversions/Conversions.h"


namespace Conversions {

// A text document to PDF ("pdf"), Word ("docx") or plain text ("txt").
QString document(const QString& source, const QString& id);
} // namespace Conversions

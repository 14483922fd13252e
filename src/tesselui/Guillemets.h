#pragma once

#include <QString>

// French guillemets bound to what they quote: the spaces just inside « and » made no-break,
// so that a line never ends on « nor starts with ».
namespace Guillemets {

QString insecables(const QString& texte);

} // namespace Guillemets

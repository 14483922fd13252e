#pragma once
// The symbol table now lives in the design system; this name stays for the code that
// still includes it from here.
#include "tesselui/Symboles.h"

#include "tesselui/DevFlags.h"

#include <QtGlobal>

bool DevFlags::isRunningTests() { return qEnvironmentVariableIsSet("XCTestConfigurationFilePath"); }

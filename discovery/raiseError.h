// Raises PortEnumError with format filled in with an error code ("%lx").
#pragma once

#include "platform/winTypes.h"

[[noreturn]] void raiseWithCode(const char* format, DWORD code);

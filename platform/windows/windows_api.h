// <windows.h> without its macros that rename the configuration store's own functions:
// with UNICODE it turns RegSetValue, RegCreateKey, RegDeleteValue and RegDeleteKey into their
// wide forms, so a file that sees both would define or call functions nobody else declares.
#pragma once

#include <windows.h>

#undef RegSetValue
#undef RegCreateKey
#undef RegDeleteValue
#undef RegDeleteKey

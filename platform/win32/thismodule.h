// Windows only: the module that holds the calling code.
#pragma once

#include <windows.h>

namespace platform::win32 {

// The platform library is linked into every program and plug-in, so this is
// the caller's own module: inside a plug-in its library, not the host. Null
// when the system cannot say.
HMODULE this_module();

}  // namespace platform::win32

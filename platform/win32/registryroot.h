// Windows only: the registry's predefined root keys and what closes an
// opened key, shared by the registry service and section installation.
#pragma once

#include <windows.h>

#include "platform/registry.h"
#include "scoped.h"

namespace platform::win32 {

HKEY root_key(RegistryRoot root);

struct CloseRegistryKey {
    void operator()(HKEY key) const { ::RegCloseKey(key); }
};

// An opened registry key.
using RegistryKeyHandle = Scoped<HKEY, CloseRegistryKey>;

}  // namespace platform::win32

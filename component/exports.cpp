// The exports hold no logic beyond dispatch; every one catches everything and
// answers failure, because nothing may be thrown across the library boundary.
#include "exports.h"

namespace {
constexpr std::int32_t InterfaceVersion = 100;
}

TAMSEL_EXPORT std::int32_t GetInterfaceVersion(std::int32_t* version) {
    try {
        if (version == nullptr) return 0;
        *version = InterfaceVersion;
        return 1;
    } catch (...) {
        return 0;
    }
}

// The exports hold no logic beyond dispatch; every one catches everything and
// answers failure, because nothing may be thrown across the library boundary.
#include "exports.h"

#include "tamsel_firmware/component.h"

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

TAMSEL_EXPORT std::int32_t GetProperty(std::uint32_t id, void* out, std::uint32_t size, const char16_t* language) {
    try {
        return TheComponent().GetProperty(id, out, size, language);
    } catch (...) {
        return 0;
    }
}

TAMSEL_EXPORT std::int32_t Install(std::int32_t unattended, void* reserved, char16_t* message, std::uint32_t capacity,
                                   const char16_t* language) {
    try {
        return TheComponent().Install(unattended, reserved, message, capacity, language);
    } catch (...) {
        return 0;
    }
}

// Windows only: string tables from the resources of the module that holds
// the calling code.
#include "platform/resources.h"

#include <windows.h>

#include "thismodule.h"

namespace platform {

std::optional<std::u16string> load_module_string(std::uint32_t id, std::span<const TableString>) {
    HMODULE module = win32::this_module();
    if (module == nullptr) return std::nullopt;
    // With no buffer LoadStringW hands out the resource's own text and its
    // length, so the caller decides how to cut it (never inside a surrogate
    // pair) instead of the loader.
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) return std::nullopt;
    return std::u16string(reinterpret_cast<const char16_t*>(text), static_cast<std::size_t>(length));
}

std::uint16_t user_interface_language() {
    return primary_language(::GetUserDefaultUILanguage());
}

}  // namespace platform

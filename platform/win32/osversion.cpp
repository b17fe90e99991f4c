// Windows only: the version of the running system.
//
// GetVersionExW answers what the calling program's manifest declares it was
// made for: a host without a manifest learns 6.2 on every later system. The
// plug-in cannot choose its host's manifest, so the version comes from
// RtlGetVersion, which tells the truth (Wine's version setting for the
// program included); GetVersionExW remains the fallback.
#include "platform/osversion.h"

#include <windows.h>
#include <cwchar>

namespace platform {

namespace {

template <typename Function>
Function function_of(const wchar_t* module, const char* name) {
    HMODULE handle = ::GetModuleHandleW(module);
    if (handle == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(handle, name)));
}

bool read_version(OSVERSIONINFOEXW& info) {
    using RtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    info = OSVERSIONINFOEXW{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (auto get = function_of<RtlGetVersion>(L"ntdll.dll", "RtlGetVersion"))
        if (get(&info) == 0) return true;
    info = OSVERSIONINFOEXW{};
    info.dwOSVersionInfoSize = sizeof(info);
    return ::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)) != FALSE;
}

}  // namespace

std::optional<WindowsVersion> windows_version() {
    OSVERSIONINFOEXW info;
    if (!read_version(info)) return std::nullopt;
    WindowsVersion version;
    version.major = info.dwMajorVersion;
    version.minor = info.dwMinorVersion;
    version.build = info.dwBuildNumber;
    version.platform_id = info.dwPlatformId;
    const wchar_t* servicePack = info.szCSDVersion;
    std::size_t length = ::wcsnlen(servicePack, sizeof(info.szCSDVersion) / sizeof(wchar_t));
    version.service_pack.assign(servicePack, servicePack + length);
    version.service_pack_major = info.wServicePackMajor;
    version.service_pack_minor = info.wServicePackMinor;
    version.product_type = info.wProductType;
    version.server_r2 = ::GetSystemMetrics(SM_SERVERR2) != 0;
    return version;
}

std::optional<std::uint32_t> windows_product_info(std::uint32_t major, std::uint32_t minor,
                                                  std::uint32_t service_pack_major, std::uint32_t service_pack_minor) {
    using GetProductInfo = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);
    auto get = function_of<GetProductInfo>(L"kernel32.dll", "GetProductInfo");
    if (get == nullptr) return std::nullopt;
    DWORD product = 0;
    if (!get(major, minor, service_pack_major, service_pack_minor, &product)) return 0;
    return product;
}

std::uint16_t native_processor_architecture() {
    SYSTEM_INFO info{};
    ::GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture;
}

}  // namespace platform

// Windows only: section, service and device installation through SetupAPI,
// and the driver update of newdev.dll loaded at run time.
#include "platform/setupinf.h"

#include <windows.h>
// After windows.h, which they need.
#include <setupapi.h>

#include "platform/inf.h"
#include "registryroot.h"
#include "utf16.h"

namespace platform {

namespace {

HINF handle_of(const InfFile& inf) {
    void* handle = inf.native_handle();
    return handle != nullptr ? static_cast<HINF>(handle) : INVALID_HANDLE_VALUE;
}

// The setup interface skips a section that is not there as if it were
// empty; a section named for installation must exist.
bool has_section(HINF inf, const std::wstring& section) {
    return ::SetupGetLineCountW(inf, section.c_str()) >= 0;
}

}  // namespace

bool install_inf_section(const InfFile& inf, std::u16string_view section, InfSectionParts parts,
                         RegistryRoot relativeRoot, std::u16string_view relativeKey,
                         std::u16string_view sourceDirectory) {
    HINF handle = handle_of(inf);
    std::optional<std::wstring> name = win32::wide_path(section);
    std::optional<std::wstring> source = win32::wide_path(sourceDirectory);
    std::optional<std::wstring> keyPath = win32::wide_path(relativeKey);
    if (handle == INVALID_HANDLE_VALUE || !name || !source || !keyPath || !has_section(handle, *name)) return false;
    win32::RegistryKeyHandle opened;
    HKEY root = win32::root_key(relativeRoot);
    if (!keyPath->empty()) {
        if (::RegCreateKeyExW(root, keyPath->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                              nullptr, opened.out(), nullptr) != ERROR_SUCCESS)
            return false;
        root = opened.get();
    }
    // Log configurations, INI files, registry, INI-to-registry and profile
    // items: 0x10F.
    UINT flags = parts == InfSectionParts::all_but_files
                     ? SPINST_LOGCONFIG | SPINST_INIFILES | SPINST_REGISTRY | SPINST_INI2REG | SPINST_PROFILEITEMS
                     : SPINST_REGISTRY;
    return ::SetupInstallFromInfSectionW(nullptr, handle, name->c_str(), flags, root,
                                         source->empty() ? nullptr : source->c_str(), 0, nullptr, nullptr, nullptr,
                                         nullptr) != 0;
}

std::uint32_t install_inf_services(const InfFile& inf, std::u16string_view section) {
    HINF handle = handle_of(inf);
    std::optional<std::wstring> name = win32::wide_path(section);
    if (handle == INVALID_HANDLE_VALUE || !name) return ERROR_INVALID_PARAMETER;
    if (!has_section(handle, *name)) return error_section_not_found;
    if (::SetupInstallServicesFromInfSectionW(handle, name->c_str(), 0)) return 0;
    return static_cast<std::uint32_t>(::GetLastError());
}

struct RootDevice::State {
    HDEVINFO set = INVALID_HANDLE_VALUE;
    SP_DEVINFO_DATA device{};
    bool created = false;

    ~State() {
        if (set != INVALID_HANDLE_VALUE) ::SetupDiDestroyDeviceInfoList(set);
    }
};

RootDevice::RootDevice() : state_(std::make_unique<State>()) {}
RootDevice::~RootDevice() = default;

namespace {

bool select_class_drivers(HDEVINFO set, SP_DEVINFO_DATA& device) {
    if (!::SetupDiBuildDriverInfoList(set, &device, SPDIT_CLASSDRIVER)) return false;
    for (DWORD index = 0;; ++index) {
        SP_DRVINFO_DATA_W driver{};
        driver.cbSize = sizeof driver;
        if (!::SetupDiEnumDriverInfoW(set, &device, SPDIT_CLASSDRIVER, index, &driver))
            return ::GetLastError() == ERROR_NO_MORE_ITEMS;
        if (!::SetupDiSetSelectedDriverW(set, &device, &driver)) return false;
    }
}

}  // namespace

bool RootDevice::create(std::u16string_view infPath, std::u16string_view className, std::u16string_view deviceName) {
    std::optional<std::wstring> path = win32::wide_path(infPath);
    std::optional<std::wstring> classText = win32::wide_path(className);
    std::optional<std::wstring> name = win32::wide_path(deviceName);
    if (!path || !classText || !name || path->size() >= MAX_PATH || state_->set != INVALID_HANDLE_VALUE) return false;
    GUID classGuid{};
    DWORD guids = 0;
    if (!::SetupDiClassGuidsFromNameW(classText->c_str(), &classGuid, 1, &guids) || guids == 0) return false;
    state_->set = ::SetupDiCreateDeviceInfoList(&classGuid, nullptr);
    if (state_->set == INVALID_HANDLE_VALUE) return false;
    SP_DEVINFO_DATA& device = state_->device;
    device.cbSize = sizeof device;
    if (!::SetupDiCreateDeviceInfoW(state_->set, name->c_str(), &classGuid, nullptr, nullptr,
                                    DICD_GENERATE_ID | DICD_INHERIT_CLASSDRVS, &device))
        return false;
    if (!::SetupDiRegisterDeviceInfo(state_->set, &device, SPRDI_FIND_DUPS, nullptr, nullptr, nullptr)) return false;
    state_->created = true;
    SP_DEVINSTALL_PARAMS_W params{};
    params.cbSize = sizeof params;
    if (!::SetupDiGetDeviceInstallParamsW(state_->set, &device, &params)) return false;
    lstrcpynW(params.DriverPath, path->c_str(), MAX_PATH);
    params.Flags |= DI_ENUMSINGLEINF | DI_DONOTCALLCONFIGMG | DI_NOFILECOPY;
    if (!::SetupDiSetDeviceInstallParamsW(state_->set, &device, &params)) return false;
    return select_class_drivers(state_->set, device);
}

bool RootDevice::install() {
    if (!state_->created) return false;
    return ::SetupDiCallClassInstaller(DIF_INSTALLDEVICE, state_->set, &state_->device) != 0;
}

std::optional<std::u16string> RootDevice::first_hardware_id() const {
    if (!state_->created) return std::nullopt;
    wchar_t ids[2048] = {};
    DWORD type = 0;
    if (!::SetupDiGetDeviceRegistryPropertyW(state_->set, &state_->device, SPDRP_HARDWAREID, &type,
                                             reinterpret_cast<BYTE*>(ids), sizeof ids - 2 * sizeof(wchar_t), nullptr) ||
        ids[0] == L'\0')
        return std::nullopt;
    return win32::from_wide(ids, std::wcslen(ids));
}

bool RootDevice::needs_restart() const {
    if (!state_->created) return false;
    SP_DEVINSTALL_PARAMS_W params{};
    params.cbSize = sizeof params;
    if (!::SetupDiGetDeviceInstallParamsW(state_->set, &state_->device, &params)) return false;
    return (params.Flags & (DI_NEEDRESTART | DI_NEEDREBOOT)) != 0;
}

using UpdateFunction = BOOL(WINAPI*)(HWND, LPCWSTR, LPCWSTR, DWORD, PBOOL);

// newdev.dll, freed on destruction, and its update function.
struct DriverUpdateLibrary::State {
    HMODULE library = nullptr;
    UpdateFunction update = nullptr;

    ~State() {
        if (library != nullptr) ::FreeLibrary(library);
    }
};

DriverUpdateLibrary::DriverUpdateLibrary() : state_(std::make_unique<State>()) {}
DriverUpdateLibrary::~DriverUpdateLibrary() = default;

DriverUpdateLoad DriverUpdateLibrary::load() {
    if (state_->update != nullptr) return DriverUpdateLoad::ok;
    if (state_->library == nullptr) {
        wchar_t directory[MAX_PATH];
        UINT length = ::GetSystemDirectoryW(directory, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return DriverUpdateLoad::no_library;
        std::wstring path(directory, length);
        path += L"\\newdev.dll";
        UINT previous = ::SetErrorMode(SEM_FAILCRITICALERRORS);
        state_->library = ::LoadLibraryW(path.c_str());
        ::SetErrorMode(previous);
        if (state_->library == nullptr) return DriverUpdateLoad::no_library;
    }
    FARPROC found = ::GetProcAddress(state_->library, "UpdateDriverForPlugAndPlayDevicesW");
    if (found == nullptr) return DriverUpdateLoad::no_function;
    // The documented type of the export; GetProcAddress knows none.
    state_->update = reinterpret_cast<UpdateFunction>(reinterpret_cast<void*>(found));
    return DriverUpdateLoad::ok;
}

bool DriverUpdateLibrary::update(std::u16string_view hardwareId, std::u16string_view infPath, std::uint32_t flags,
                                 bool& rebootRequired) {
    std::optional<std::wstring> id = win32::wide_path(hardwareId);
    std::optional<std::wstring> path = win32::wide_path(infPath);
    if (state_->update == nullptr || !id || !path) return false;
    BOOL reboot = FALSE;
    BOOL done = state_->update(nullptr, id->c_str(), path->c_str(), flags, &reboot);
    if (reboot) rebootRequired = true;
    return done != 0;
}

}  // namespace platform

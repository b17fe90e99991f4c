#include "tamsel_framework/basecomp.h"

#include "platform/findfiles.h"
#include "platform/hostprocess.h"

namespace {

// Lines of the console the "/consoleout" switch opens for the host.
constexpr int ConsoleLines = 500;

}  // namespace

CBaseComponent::CBaseComponent() : log_(new CCmpLog()) {}

CBaseComponent::~CBaseComponent() { Release(); }

std::int32_t CBaseComponent::Init(const HostOptions& options) {
    options_ = options;
    std::int32_t result = 1;
    if (options_.verbose) log_->SetVerbose(1);
    if (options_.console) platform::open_process_console(ConsoleLines);
    log_->Open();

    Announce(84, u"Detecting if 64-bit operating system... \r\n");
    is64BitSystem_ = Is64BitOs();

    Announce(87, u"Locating package definition file... ");
    char16_t packageFile[PackageFileNameUnits] = {};
    std::int32_t found = FindPackageDefinition(packageFile, PackageFileNameUnits);
    Complete(found != 0 ? u"Done.\r\n" : u"Failed!\r\n");
    LogPackageDefinitionChoice(found != 0 ? packageFile : nullptr);
    if (found != 0) {
        Announce(93, u"    - Reading package definition file... ");
        if (ReadPackageDefinition(packageFile) == 0) {
            Complete(u"Done.\r\n");
        } else {
            Complete(u"Failed!\r\n");
            result = 0;
        }
    }

    Announce(110, u"Checking for install.xml... ");
    std::vector<std::u16string> installers = platform::find_files(u"", u"install.xml");
    if (installers.empty()) {
        Complete(u"Not found.\r\n");
    } else {
        Complete(u"Found.\r\n");
        Announce(117, u"    - Reading installer XML... ");
        if (ReadInstallerXml(installers.front().c_str()) == 0) {
            Complete(u"Done.\r\n");
        } else {
            Complete(u"Failed!\r\n");
            result = 0;
        }
    }

    if (supportedDevices_.empty()) return result;
    Announce(136, u"Building PnP device list... ");
    Complete(BuildPresentHardwareIds() != 0 ? u"Done.\r\n" : u"Failed!\r\n");
    return result;
}

// Several candidates mean a package that was changed by hand or copied over
// another: the administrator learns in both logs which file counts.
void CBaseComponent::LogPackageDefinitionChoice(const char16_t* taken) {
    if (log_ == nullptr || packageFilesPassedOver_.empty()) return;
    if (taken != nullptr)
        log_->Write(CmpLogPlainVerboseSource, CmpLogWarning, BaseComponentSource, 89,
                    u"Several package definition files; taken: %s\r\n", taken);
    for (const std::u16string& name : packageFilesPassedOver_)
        log_->Write(CmpLogPlainVerboseSource, CmpLogWarning, BaseComponentSource, 90,
                    u"Package definition file passed over: %s\r\n", name.c_str());
}

void CBaseComponent::Release() {
    if (ownsLog_ != 0) delete log_;
    log_ = nullptr;
    ownsLog_ = 0;
    packageDocument_.reset();
}

void CBaseComponent::AdoptLog(CCmpLog* hostLog) {
    if (hostLog == nullptr || hostLog == log_) return;
    if (ownsLog_ != 0) delete log_;
    log_ = hostLog;
    ownsLog_ = 0;
}

void CBaseComponent::Announce(int line, const char16_t* text) {
    if (log_ != nullptr) log_->Write(CmpLogVerboseSource, CmpLogInformation, BaseComponentSource, line, u"%s", text);
}

void CBaseComponent::Complete(const char16_t* text) {
    if (log_ != nullptr) log_->Write(CmpLogVerboseLevel, CmpLogInformation, nullptr, 0, u"%s", text);
}

std::int32_t CBaseComponent::BuildPresentHardwareIds() { return presentHardwareIds_.BuildPresentHardwareIds(); }

std::int32_t CBaseComponent::IsDevicePresent(const char16_t* hardwareId) {
    if (hardwareId == nullptr) return 0;
    return presentHardwareIds_.IsDevicePresent(hardwareId);
}

std::int32_t CBaseComponent::QueryProperty6() { return silent_; }
std::int32_t CBaseComponent::QueryProperty7() { return silent_; }
std::int32_t CBaseComponent::QueryProperty8() { return 1; }

void CBaseComponent::SetSilent(std::int32_t value) { silent_ = value; }
void CBaseComponent::SetRequiredDiskSpace(std::uint32_t kilobytes) { requiredDiskSpace_ = kilobytes; }
void CBaseComponent::SetRebootRequired(std::int32_t value) { rebootRequired_ = value; }
void CBaseComponent::SetVersionFile(const char16_t* path) { versionFile_ = CStr(path); }
void CBaseComponent::SetInstallType(const char16_t* file, std::int32_t type) {
    infFile_ = CStr(file);
    installType_ = type;
}
void CBaseComponent::AddSupportedDevice(const char16_t* hardwareId) { supportedDevices_.emplace_back(hardwareId); }
void CBaseComponent::AddSupportedOs(const SupportedSystem& record) { supportedSystems_.push_back(record); }
const char16_t* CBaseComponent::GetInstallFile() { return infFile_.c_str(); }

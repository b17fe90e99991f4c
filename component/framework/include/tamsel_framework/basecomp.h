// CBaseComponent: the framework class from which an update component of the
// plug-in derives. It owns what every component shares (the package
// definition and the prerequisites read from it, the supported and present
// devices, the log) and the start-up sequence Init that fills it when the
// plug-in is loaded. A derived component replaces operations by slot, so the
// virtual operations keep one order.
//
// Operations whose behaviour belongs to the install-state checks, the
// messages and the driver installation answer plainly until those are
// built: see each one.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "cmplog/cmplog.h"
#include "cmplog/cstr.h"
#include "tamsel_framework/packagefields.h"
#include "tamsel_framework/runoptions.h"
#include "tamsel_devices/devicelist.h"
#include "tamsel_xml/ykzxml.h"

// The answer to the host's install-state question: a status and a message,
// 2052 bytes in all.
struct InstallState {
    static constexpr std::size_t MessageUnits = 1024;
    std::int32_t status = 0;
    char16_t message[MessageUnits] = {};
};
static_assert(sizeof(InstallState) == 2052);

inline constexpr std::size_t ExecutableNameUnits = 128;
inline constexpr std::size_t ShellExecuteUnits = 260;
inline constexpr std::size_t PackageFileNameUnits = 260;

// Source names and line numbers of the start-up lines: administrators and
// support read the verbose log by them, so they stay as they have always
// been written.
inline constexpr char16_t BaseComponentSource[] = u".\\Source\\basecomp";

class CBaseComponent {
public:
    CBaseComponent();
    virtual ~CBaseComponent();  // slot 0
    CBaseComponent(const CBaseComponent&) = delete;
    CBaseComponent& operator=(const CBaseComponent&) = delete;

    // Start-up: keeps the host's run options for every later question, then
    // 1 when nothing that was attempted failed, 0 when the package
    // definition or install.xml could not be read.
    virtual std::int32_t Init(const HostOptions& options);                                // 1
    virtual void Release();                                                               // 2
    virtual std::int32_t ReadPackageDefinition(const char16_t* path);                     // 3
    virtual std::int32_t ReadInstallerXml(const char16_t* path);                          // 4
    virtual std::int32_t FindPackageDefinition(char16_t* buffer, std::uint32_t capacity);  // 5
    // 6: the framework's driver installation is built with the INF
    // processing; until then it installs nothing and answers failure.
    virtual std::int32_t Install(std::int32_t unattended, void* reserved, char16_t* message, std::uint32_t capacity,
                                 const char16_t* language);
    virtual std::int32_t InstallLegacy();   // 7
    virtual std::int32_t InstallPnp();      // 8
    virtual std::int32_t InstallVirtual();  // 9
    // 10: dispatch of the host's property questions; the component that the
    // plug-in exports answers them.
    virtual std::int32_t GetProperty(std::uint32_t id, void* out, std::uint32_t size, const char16_t* language);
    virtual std::int32_t GetName(char16_t* out, std::uint32_t capacity, const char16_t* language);         // 11
    virtual std::int32_t GetDescription(char16_t* out, std::uint32_t capacity, const char16_t* language);  // 12
    virtual std::int32_t GetCurrentVersion(char16_t* out, std::uint32_t capacity);                         // 13
    virtual std::int32_t GetVersion(char16_t* out, std::uint32_t capacity);                                // 14
    // 15: the host's record has been checked for its whole size where it
    // entered (GetProperty).
    virtual std::int32_t GetInstallState(InstallState& record, const char16_t* language);
    virtual std::int32_t QueryProperty6();  // 16: the silent flag
    virtual std::int32_t QueryProperty7();  // 17: the silent flag
    virtual std::int32_t QueryProperty8();  // 18: 1
    virtual std::int32_t IsOsSupported();   // 19
    virtual std::int32_t IsDiskSpaceAvailable(const char16_t* directory);  // 20
    virtual std::int32_t IsHardwarePresent();                              // 21
    virtual std::int32_t IsInstalled();                                    // 22
    virtual std::int32_t IsMarkedForRemoval();                             // 23
    virtual std::int32_t GetVersionStatus();                               // 24
    virtual std::int32_t AreDependenciesMet(char16_t* message, std::uint32_t capacity, const char16_t* language);  // 25
    virtual std::int32_t CheckDependencyList(char16_t* message, std::uint32_t capacity,
                                             const char16_t* language);  // 26
    virtual void SetSilent(std::int32_t value);                           // 27
    virtual void SetRequiredDiskSpace(std::uint32_t kilobytes);           // 28
    virtual void SetRebootRequired(std::int32_t value);                   // 29
    virtual void SetVersionFile(const char16_t* path);                    // 30
    virtual void SetInstallType(const char16_t* file, std::int32_t type);  // 31
    virtual void AddSupportedDevice(const char16_t* hardwareId);          // 32
    virtual void AddSupportedOs(const SupportedSystem& record);           // 33
    virtual const char16_t* GetInstallFile();                              // 34
    virtual std::int32_t Is64BitOs();                                      // 35

    // The present-device list: built at start-up when the package supports
    // devices, and again on demand while it is empty.
    std::int32_t BuildPresentHardwareIds();
    std::int32_t IsDevicePresent(const char16_t* hardwareId);

    // The options of a component that did not go through start-up.
    void SetOptions(const HostOptions& options) { options_ = options; }

    CCmpLog* Log() const { return log_; }
    // Makes the host's log the component's log, which the component then
    // does not own.
    void AdoptLog(CCmpLog* hostLog);

    // What the package files gave, for the operations built on them.
    const CYkzXMLReader* PackageDocument() const { return packageDocument_.get(); }
    // Whether start-up read a package definition with its "ykz_package"
    // root: without one the component knows neither its package nor what
    // it may be installed on.
    bool HasPackageDefinition() const;
    const char16_t* ExecutableName() const { return executableName_; }
    const CStr& VersionFile() const { return versionFile_; }
    std::int32_t Silent() const { return silent_; }
    std::int32_t RebootRequired() const { return rebootRequired_; }
    std::uint32_t RequiredDiskSpace() const { return requiredDiskSpace_; }
    const CStrList& SupportedDevices() const { return supportedDevices_; }
    const CStrList& StorageDeviceNames() const { return storageDeviceNames_; }
    const CStrList& PresentHardwareIds() const { return presentHardwareIds_.PresentHardwareIds(); }
    const std::vector<SupportedSystem>& SupportedSystems() const { return supportedSystems_; }
    const CStr& InfFile() const { return infFile_; }
    const CStr& InfSection() const { return infSection_; }
    const CStr& ServiceName() const { return serviceName_; }
    std::int32_t GetInstallType() const { return installType_; }
    const char16_t* ShellExecuteFile() const { return shellExecuteFile_; }
    const char16_t* ShellExecuteDirectory() const { return shellExecuteDirectory_; }
    std::int32_t Is64BitSystem() const { return is64BitSystem_; }

protected:
    // Announces a step in the verbose log (source and line) and completes
    // it (no prefix), as every start-up step is logged.
    void Announce(int line, const char16_t* text);
    void Complete(const char16_t* text);
    void LogPackageDefinitionChoice(const char16_t* taken);

    std::int32_t dependencyListEvaluated_ = 0;
    std::int32_t dependencyListResult_ = 1;
    CStr infFile_;
    CStr infSection_;
    CStr serviceName_;
    std::int32_t installType_ = InstallTypeNone;
    char16_t executableName_[ExecutableNameUnits] = {};
    char16_t shellExecuteFile_[ShellExecuteUnits] = {};
    char16_t shellExecuteDirectory_[ShellExecuteUnits] = {};
    std::int32_t silent_ = 1;
    std::int32_t rebootRequired_ = 0;
    std::int32_t is64BitSystem_ = 0;
    std::uint32_t requiredDiskSpace_ = 0;
    CStr versionFile_;
    CWin2000DeviceList deviceList_;  // kept for its place; the list is built with a temporary one
    std::unique_ptr<CYkzXMLReader> packageDocument_;
    std::vector<SupportedSystem> supportedSystems_;
    CStrList supportedDevices_;
    CPresentHardwareIds presentHardwareIds_;
    CStrList storageDeviceNames_;
    std::int32_t ownsLog_ = 1;
    CCmpLog* log_ = nullptr;
    HostOptions options_;

private:
    // The yk*.xml files that FindPackageDefinition did not take, when there
    // were several; start-up logs them.
    std::vector<std::u16string> packageFilesPassedOver_;

    CYkzXMLNode* FindTranslation(const char16_t* container, const char16_t* entry, const char16_t* language) const;
    void ReadSwKeys(CYkzXMLNode* package);
    void ReadInstallation(CYkzXMLNode* package);
    void ReadPrerequisites(CYkzXMLNode* package);
    void ReadSupportedDevice(CYkzXMLNode* device);
    void ReadSupportedSystem(CYkzXMLNode* system);
};

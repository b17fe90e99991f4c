// The base component's install state: the fixed sequence of checks and the
// status they give, and the base checks themselves (disk space, hardware,
// removal, installed version).
#include "tamsel_framework/installstate.h"

#include <limits>
#include <string>
#include <vector>

#include "tamsel_framework/basecomp.h"
#include "tamsel_framework/messages.h"
#include "tamsel_devices/inf.h"
#include "platform/ascii.h"
#include "platform/diskspace.h"
#include "platform/fileversion.h"
#include "platform/findfiles.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "platform/system.h"
#include "platform/unicode.h"

namespace {

// The work buffers of the dependency checks; a message copied from one into
// the record is cut to the record's 1024 units.
constexpr std::uint32_t WorkBufferUnits = 4096;
constexpr std::size_t ServiceNameUnits = 260;
constexpr std::uint32_t DeleteFlagMarked = 1;
constexpr std::uint32_t LegacyStatusMarked = 0x40008;

constexpr char16_t ServicesKey[] = u"System\\CurrentControlSet\\Services\\";
constexpr char16_t LegacyEnumKey[] = u"System\\CurrentControlSet\\Enum\\Root\\LEGACY_";

constexpr char16_t Yes[] = u"Yes\r\n";
constexpr char16_t No[] = u"No\r\n";
constexpr char16_t NoAndRefused[] = u"No\r\n\r\n";

// What the checks answered, for the status rules.
struct CheckAnswers {
    bool hardwarePresent = false;
    bool installed = false;
    bool markedForRemoval = false;
    std::int32_t versionStatus = VersionUnknown;
    bool dependenciesMet = true;
    bool dependencyListPassed = true;
};

// The questions and answers of the checks. The verbose log gets a question
// (with its source line, which support reads the log by) as it is asked, so
// that the check's own steps follow it there; the plain log, which the hosts
// of a machine share, gets question and answer together once the answer is
// known, in one append, so no other host's line lands inside them.
class CheckLog {
public:
    explicit CheckLog(CCmpLog* log) : log_(log) {}

    void Ask(int line, const char16_t* question) {
        question_ = question;
        if (log_ != nullptr)
            log_->Write(CmpLogVerboseSource, CmpLogInformation, BaseComponentSource, line, u"%s", question);
    }

    void Answer(const char16_t* answer) {
        if (log_ == nullptr) return;
        log_->Write(CmpLogVerboseLevel, CmpLogInformation, nullptr, 0, u"%s", answer);
        log_->Write(CmpLogPlain, CmpLogInformation, nullptr, 0, u"%s%s", question_, answer);
    }

private:
    CCmpLog* log_;
    const char16_t* question_ = u"";
};

const char16_t* YesNo(bool yes) {
    return yes ? Yes : No;
}

const char16_t* VersionAnswer(std::int32_t status) {
    switch (status) {
        case VersionOlder:
            return u"Older\r\n";
        case VersionSame:
            return u"Same\r\n";
        case VersionNewer:
            return u"Newer\r\n";
        default:
            // Without an answer the question would run on into the next
            // entry of the shared plain log, whichever host wrote it.
            return u"Unknown\r\n";
    }
}

// Copies a work buffer's text into the record when it has any.
void CopyWorkMessage(InstallState& record, const std::vector<char16_t>& buffer) {
    std::size_t length = BoundedLength(buffer.data(), buffer.size());
    if (length != 0) CopyToBuffer(record.message, InstallState::MessageUnits, {buffer.data(), length});
}

std::int32_t InstalledVersionStatus(std::int32_t versionStatus) {
    switch (versionStatus) {
        case VersionOlder:
            return InstallStatusOlder;
        case VersionSame:
            return InstallStatusSame;
        case VersionNewer:
            return InstallStatusNewer;
        default:
            return InstallStatusUnknownVersion;
    }
}

// The status rules, in their order: hardware, then the dependency list,
// whose failure overrides everything before it.
void ApplyStatusRules(InstallState& record, const CheckAnswers& answers, const std::vector<char16_t>& dependency,
                      const std::vector<char16_t>& dependencyList, const char16_t* language) {
    record.status = InstallStatusUnknownVersion;
    if (answers.hardwarePresent) {
        if (!answers.dependenciesMet) CopyWorkMessage(record, dependency);
        if (!answers.dependenciesMet || answers.markedForRemoval) {
            record.status = InstallStatusCannotInstall;
            if (answers.markedForRemoval)
                CopyToBuffer(record.message, InstallState::MessageUnits,
                             SelectMessage(CodeMessageMarkedForRemoval, language));
        } else if (answers.installed) {
            record.status = InstalledVersionStatus(answers.versionStatus);
        } else {
            record.status = InstallStatusNotInstalled;
        }
    } else {
        record.status = answers.installed ? InstallStatusInstalledNoHardware : InstallStatusNotApplicable;
    }
    if (!answers.dependencyListPassed) {
        record.status = InstallStatusNotApplicable;
        CopyWorkMessage(record, dependencyList);
    }
}

std::int32_t Refuse(InstallState& record, CodeMessage message, const char16_t* language) {
    record.status = InstallStatusCannotInstall;
    CopyToBuffer(record.message, InstallState::MessageUnits, SelectMessage(message, language));
    return 1;
}

std::u16string SystemDriveRoot() {
    std::u16string directory = platform::utf8_to_utf16(platform::windows_directory());
    return directory.substr(0, 3);
}

bool ReadDword(const std::u16string& key, const char16_t* name, std::uint32_t& number) {
    platform::RegistryKey opened;
    if (opened.open(platform::RegistryRoot::local_machine, key) != platform::RegistryStatus::ok) return false;
    return opened.read_dword(name, number) == platform::RegistryStatus::ok;
}

}  // namespace

std::uint32_t FreeKilobytes(std::uint64_t bytes) {
    std::uint64_t kilobytes = bytes / 1024;
    constexpr std::uint64_t largest = std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(kilobytes > largest ? largest : kilobytes);
}

bool IsServiceInstalled(std::u16string_view name) {
    if (name.empty()) return false;
    if (platform::service_state(name, platform::ServiceAccess::full) == platform::ServiceState::not_installed)
        return false;
    return platform::registry_key_exists(platform::RegistryRoot::local_machine,
                                         std::u16string(ServicesKey) + std::u16string(name));
}

bool IsServiceRunning(std::u16string_view name) {
    if (name.empty()) return false;
    platform::ServiceState state = platform::service_state(name);
    return state != platform::ServiceState::not_installed && state != platform::ServiceState::stopped;
}

std::optional<platform::FileVersion> ParseVersion(std::u16string_view text) {
    std::uint32_t numbers[4] = {};
    std::size_t count = 0;
    std::size_t position = 0;
    while (count < 4) {
        std::size_t end = text.find(u'.', position);
        std::u16string_view part = text.substr(position, end == std::u16string_view::npos ? end : end - position);
        std::optional<std::uint32_t> number = part.size() <= 5 ? platform::decimal_number(part, 0xFFFF) : std::nullopt;
        if (!number) return std::nullopt;
        numbers[count] = *number;
        ++count;
        if (end == std::u16string_view::npos) {
            return platform::FileVersion{static_cast<std::uint16_t>(numbers[0]), static_cast<std::uint16_t>(numbers[1]),
                                         static_cast<std::uint16_t>(numbers[2]),
                                         static_cast<std::uint16_t>(numbers[3])};
        }
        position = end + 1;
    }
    return std::nullopt;  // a fifth number
}

std::int32_t CompareVersions(const platform::FileVersion& installed, const platform::FileVersion& package) {
    const std::uint16_t left[] = {installed.major, installed.minor, installed.build, installed.revision};
    const std::uint16_t right[] = {package.major, package.minor, package.build, package.revision};
    for (int index = 0; index < 4; ++index) {
        if (left[index] < right[index]) return VersionOlder;
        if (left[index] > right[index]) return VersionNewer;
    }
    return VersionSame;
}

std::int32_t CBaseComponent::GetInstallState(InstallState& record, const char16_t* language) {
    record.message[0] = u'\0';
    std::vector<char16_t> dependency(WorkBufferUnits, u'\0');
    std::vector<char16_t> dependencyList(WorkBufferUnits, u'\0');
    CheckAnswers answers;

    CheckLog checks(log_);
    checks.Ask(844, u"    - Is operating system supported... ");
    if (IsOsSupported() == 0) {
        checks.Answer(NoAndRefused);
        return Refuse(record, CodeMessageOsNotSupported, language);
    }
    checks.Answer(Yes);
    checks.Ask(856, u"    - Is necessary disk space available... ");
    if (IsDiskSpaceAvailable(nullptr) == 0) {
        checks.Answer(NoAndRefused);
        return Refuse(record, CodeMessageNotEnoughDiskSpace, language);
    }
    checks.Answer(Yes);

    checks.Ask(869, u"    - Is hardware present... ");
    answers.hardwarePresent = IsHardwarePresent() != 0;
    checks.Answer(YesNo(answers.hardwarePresent));
    checks.Ask(875, u"    - Is component already installed... ");
    answers.installed = IsInstalled() != 0;
    checks.Answer(YesNo(answers.installed));
    checks.Ask(881, u"    - Is component marked for removal... ");
    answers.markedForRemoval = IsMarkedForRemoval() != 0;
    checks.Answer(YesNo(answers.markedForRemoval));
    checks.Ask(887, u"    - Installed component version status... ");
    answers.versionStatus = GetVersionStatus();
    checks.Answer(VersionAnswer(answers.versionStatus));

    answers.dependenciesMet = AreDependenciesMet(dependency.data(), WorkBufferUnits, language) != 0;
    checks.Ask(904, u"    - Checking dependency list... ");
    answers.dependencyListPassed = CheckDependencyList(dependencyList.data(), WorkBufferUnits, language) != 0;
    checks.Answer(answers.dependencyListPassed ? u"Done.\r\n\r\n" : u"Failed!\r\n\r\n");

    ApplyStatusRules(record, answers, dependency, dependencyList, language);
    return 1;
}

std::int32_t CBaseComponent::IsDiskSpaceAvailable(const char16_t* directory) {
    if (requiredDiskSpace_ == 0) return 1;
    std::u16string volume;
    if (directory != nullptr && *directory != u'\0') {
        volume = directory;
        // The directory names its volume with a separator at its end; one
        // already there is not doubled.
        if (volume.back() != u'\\') volume += u'\\';
    } else {
        volume = SystemDriveRoot();
    }
    std::optional<std::uint64_t> bytes = platform::free_disk_space(volume);
    if (!bytes) return 0;
    return requiredDiskSpace_ <= FreeKilobytes(*bytes) ? 1 : 0;
}

std::int32_t CBaseComponent::IsHardwarePresent() {
    if (supportedDevices_.empty()) return 1;
    for (const CStr& device : supportedDevices_) {
        if (IsDevicePresent(device.c_str()) != 0) return 1;
    }
    return 0;
}

std::int32_t CBaseComponent::IsMarkedForRemoval() {
    CInf inf(infFile_.c_str(), 0);
    if (inf.IsOpen() == 0) return 0;
    char16_t name[ServiceNameUnits] = {};
    if (inf.GetServiceName(nullptr, name, ServiceNameUnits) == 0 || name[0] == u'\0') return 0;
    std::u16string service(name);
    std::uint32_t flag = 0;
    if (IsServiceInstalled(service) && ReadDword(ServicesKey + service, u"DeleteFlag", flag) &&
        flag == DeleteFlagMarked)
        return 1;
    std::uint32_t status = 0;
    if (ReadDword(LegacyEnumKey + service + u"\\0000", u"StatusFlags", status) && status == LegacyStatusMarked)
        return 1;
    return 0;
}

// The base component is installed when its version file is there, and its
// installed version is that file's version resource. A file without one (on
// Linux every file) has no version, which the install state reports as a
// version status outside 0 to 2.
std::int32_t CBaseComponent::IsInstalled() {
    if (versionFile_.IsEmpty()) return 0;
    return platform::regular_file_exists(versionFile_) ? 1 : 0;
}

std::int32_t CBaseComponent::GetVersionStatus() {
    platform::FileVersion installed;
    if (versionFile_.IsEmpty() || !platform::file_version(versionFile_, installed)) return VersionUnknown;
    char16_t text[64] = {};
    if (GetVersion(text, 64) == 0) return VersionUnknown;
    std::optional<platform::FileVersion> package = ParseVersion(text);
    if (!package) return VersionUnknown;
    return CompareVersions(installed, *package);
}

std::int32_t CBaseComponent::GetCurrentVersion(char16_t* out, std::uint32_t capacity) {
    platform::FileVersion installed;
    if (out == nullptr || versionFile_.IsEmpty() || !platform::file_version(versionFile_, installed)) return 0;
    std::u16string text =
        platform::utf8_to_utf16(std::to_string(installed.major) + "." + std::to_string(installed.minor) + "." +
                                std::to_string(installed.build) + "." + std::to_string(installed.revision));
    if (text.size() >= capacity) return 0;  // only a whole version is given
    CopyToBuffer(out, capacity, text);
    return 1;
}

// The base component depends on nothing beyond its dependency list.
std::int32_t CBaseComponent::AreDependenciesMet(char16_t*, std::uint32_t, const char16_t*) {
    return 1;
}

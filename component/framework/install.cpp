// The framework's installation of a driver package (slots 6 to 9 of
// CBaseComponent): the install type of install.xml chooses a legacy
// installation or a virtual-device installation from the package's INF file
// (CInf), or a driver update of the package's Plug and Play devices
// (CWin2000PnPDriver); a ShellExecute file of install.xml is opened
// afterwards.
#include "tamsel_framework/basecomp.h"
#include "tamsel_framework/messages.h"
#include "tamsel_devices/inf.h"
#include "tamsel_devices/pnpdriver.h"
#include "platform/shell.h"

namespace {

// ShellExecuteW answers 32 or less for every failure.
constexpr std::intptr_t kShellExecuteLastError = 32;
constexpr int kShellExecuteLine = 297;

// The code-table row that a failed install slot leaves for Install to put
// into the host's message buffer. The slots take no buffer of their own,
// and the host calls Install on one thread, one call at a time.
thread_local int pendingMessageRow = 0;

// The log is gone only once the component is released; nothing is written
// then.
void WriteLine(CCmpLog* log, int type, int level, const char16_t* format, const char16_t* text) {
    if (log != nullptr) log->Write(type, level, nullptr, 0, format, text);
}

// The slot result of an installation that succeeded.
std::int32_t Succeeded(bool restart) {
    return restart ? 2 : 1;
}

}  // namespace

std::int32_t CBaseComponent::Install(std::int32_t, void*, char16_t* message, std::uint32_t capacity,
                                     const char16_t* language) {
    CopyToBuffer(message, capacity, u"");
    pendingMessageRow = 0;
    WriteLine(log_, CmpLogPlainVerboseLevel, CmpLogInformation, u"%s", u"Initiating installation... ");
    std::int32_t result = 0;
    switch (installType_) {
        case InstallTypeLegacy:
        case InstallTypePnp:
        case InstallTypeVirtual:
            WriteLine(log_, CmpLogPlain, CmpLogInformation, u"%s", u"\r\n");
            WriteLine(log_, CmpLogVerboseLevel, CmpLogInformation, u"%s",
                      installType_ == InstallTypePnp ? u"Type=PNP\r\n" : u"Type=LEGACY\r\n");
            result = installType_ == InstallTypeLegacy ? InstallLegacy()
                     : installType_ == InstallTypePnp  ? InstallPnp()
                                                       : InstallVirtual();
            // A failure that left no text of its own is still a failure the
            // host must be able to show.
            if (result == 0 && pendingMessageRow == 0) pendingMessageRow = CodeMessageInstallError;
            if (result == 0) CopyToBuffer(message, capacity, SelectFallbackMessage(pendingMessageRow, language));
            break;
        default:
            CopyToBuffer(message, capacity, SelectFallbackMessage(CodeMessageUnknownInfType, language));
            WriteLine(log_, CmpLogPlainVerboseLevel, CmpLogInformation, u"%s", u"\r\n");
            WriteLine(log_, CmpLogPlainVerboseLevel, CmpLogError, u"%s\r\n",
                      CodeMessageText(CodeMessageUnknownInfType, 0));
            break;
    }
    if (shellExecuteFile_[0] == u'\0') return result;

    if (log_ != nullptr)
        log_->Write(CmpLogVerboseSource, CmpLogInformation, BaseComponentSource, kShellExecuteLine, u"%s",
                    u"Executing ShellExecute command... ");
    if (platform::shell_open(shellExecuteFile_, shellExecuteDirectory_) <= kShellExecuteLastError) {
        CopyToBuffer(message, capacity, SelectFallbackMessage(CodeMessageShellExecuteError, language));
        WriteLine(log_, CmpLogVerboseLevel, CmpLogInformation, u"%s", u"Failed!\r\n");
        return 0;
    }
    WriteLine(log_, CmpLogVerboseLevel, CmpLogInformation, u"%s", u"Done.\r\n");
    return result;
}

namespace {

// The legacy and the virtual installation differ only in the INF's virtual
// flag.
std::int32_t InstallFromInf(const CStr& infFile, const CStr& section, int isVirtual, std::int32_t rebootRequired,
                            CCmpLog* log) {
    CInf inf(infFile.c_str(), isVirtual);
    if (inf.IsOpen() == 0) {
        WriteLine(log, CmpLogVerboseLevel, CmpLogError, u"Cannot open INF file %s\r\n", infFile.c_str());
        return 0;
    }
    std::int32_t restart = 0;
    int done = section.IsEmpty() ? inf.InstallAll(&restart) : inf.InstallNamedSection(section.c_str(), &restart);
    if (done == 0) {
        WriteLine(log, CmpLogVerboseLevel, CmpLogError, u"Installation from %s failed\r\n", infFile.c_str());
        return 0;
    }
    if (restart != 0)
        WriteLine(log, CmpLogVerboseLevel, CmpLogWarning, u"%s",
                  u"Files in use will be replaced at the next restart\r\n");
    return Succeeded(rebootRequired != 0 || restart != 0);
}

}  // namespace

std::int32_t CBaseComponent::InstallLegacy() {
    return InstallFromInf(infFile_, infSection_, 0, rebootRequired_, log_);
}

std::int32_t CBaseComponent::InstallVirtual() {
    return InstallFromInf(infFile_, infSection_, 1, rebootRequired_, log_);
}

std::int32_t CBaseComponent::InstallPnp() {
    auto fail = [&](int row) {
        pendingMessageRow = row;
        WriteLine(log_, CmpLogPlainVerboseLevel, CmpLogInformation, u"%s\r\n", CodeMessageText(row, 0));
        return 0;
    };
    if (supportedDevices_.empty()) return fail(CodeMessageNoSupportedDevices);
    CWin2000PnPDriver driver(infFile_.c_str(), 1);
    for (const CStr& id : supportedDevices_)
        if (IsDevicePresent(id.c_str()) == 1) driver.AddHardwareId(id.c_str());
    switch (driver.UpdateDrivers()) {
        case DriverUpdateDone:
            return Succeeded(rebootRequired_ != 0 || driver.RebootNeeded() != 0);
        case DriverUpdateNoHardwareIds:
            return fail(CodeMessageNoDevicesFound);
        case DriverUpdateNoLibrary:
        case DriverUpdateNoFunction:
            return fail(CodeMessageInstallError);
        default:
            return fail(CodeMessageDeviceInstallFailed);
    }
}

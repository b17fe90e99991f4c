#include "tamsel_framework/osident.h"

#include "tamsel_framework/basecomp.h"
#include "platform/osversion.h"

CStr PlatformToken(bool isNt, std::uint16_t architecture) {
    if (!isNt) return CStr();
    switch (architecture) {
    case ArchitectureX86:
        return CStr(u"nt");
    case ArchitectureItanium:
        return CStr(u"nt64");
    case ArchitectureX64:
        return CStr(u"nt_x86-64");
    default:
        return CStr();
    }
}

std::int32_t ServicePackNumber(std::u16string_view text) {
    std::size_t digit = 0;
    while (digit < text.size() && (text[digit] < u'0' || text[digit] > u'9')) ++digit;
    if (digit == text.size()) return 0;
    return static_cast<std::int32_t>(LeadingDecimal(text.substr(digit)) & 0x7FFFFFFF);
}

std::uint16_t RunningEditionMask(std::uint32_t productType, bool r2) {
    switch (productType) {
    case 8:  // datacenter server
        return r2 ? 0x0404 : 0x0405;
    case 9:   // small business server
    case 25:  // small business server premium
        return r2 ? 0x0204 : 0x0205;
    case 12:  // datacenter server core
        return r2 ? 0x0408 : 0x040A;
    case 13:  // standard server core
    case 14:  // enterprise server core
        return r2 ? 0x0108 : 0x0102;
    default:
        return r2 ? 0xFF04 : 0xFF05;
    }
}

bool SystemMatches(const SupportedSystem& record, const RunningSystem& running) {
    std::u16string_view platform(record.platform, BoundedLength(record.platform, SupportedSystem::PlatformUnits));
    return EqualsNoCase(platform, running.platform) && (record.major == -1 || record.major == running.major) &&
           (record.minor == -1 || record.minor == running.minor) &&
           (record.serviceRelease == -1 || record.serviceRelease <= running.servicePack) &&
           (record.edition & running.edition) == running.edition;
}

// The base component's own identification of the running system.

namespace {

struct ArchitectureLines {
    std::uint16_t architecture;
    std::int32_t result;
    int firstLine;
    const char16_t* first;
    int secondLine;
    const char16_t* second;
};

// What the start-up log says of each architecture; the line numbers are
// those that support reads the verbose log by.
constexpr ArchitectureLines architectureLines[] = {
    {ArchitectureX86, 0, 1548, u"    - Operating system is not 64-bit.\r\n", 0, nullptr},
    {ArchitectureItanium, 1, 1535, u"    - Operating system is 64-bit.\r\n", 1536,
     u"    - Operating system is IA-64 based.\r\n"},
    {ArchitectureX64, 1, 1540, u"    - Operating system is 64-bit.\r\n", 1541,
     u"    - Operating system is x64 based.\r\n"},
    {ArchitectureX86OnX64, 1, 1545, u"    - Operating system is 64-bit.\r\n", 0, nullptr},
};

}  // namespace

std::int32_t CBaseComponent::Is64BitOs() {
    std::optional<platform::WindowsVersion> version = platform::windows_version();
    if (!version || version->platform_id != platform::platform_id_nt) return 0;
    std::uint16_t architecture = platform::native_processor_architecture();
    for (const ArchitectureLines& entry : architectureLines) {
        if (entry.architecture != architecture) continue;
        if (log_ != nullptr) {
            log_->Write(CmpLogVerboseSource, CmpLogInformation, BaseComponentSource, entry.firstLine, u"%s",
                        entry.first);
            if (entry.second != nullptr)
                log_->Write(CmpLogVerboseSource, CmpLogInformation, BaseComponentSource, entry.secondLine, u"%s",
                            entry.second);
        }
        return entry.result;
    }
    return 0;
}

std::int32_t CBaseComponent::IsOsSupported() {
    if (supportedSystems_.empty()) return 1;
    RunningSystem running;
    std::optional<platform::WindowsVersion> version = platform::windows_version();
    if (version) {
        bool isNt = version->platform_id == platform::platform_id_nt;
        running.platform = PlatformToken(isNt, platform::native_processor_architecture());
        running.major = static_cast<std::int32_t>(version->major);
        running.minor = static_cast<std::int32_t>(version->minor);
        running.servicePack = ServicePackNumber(version->service_pack);
        std::uint32_t productType = 0;
        if (version->major > 5) {
            productType = platform::windows_product_info(version->major, version->minor,
                                                         static_cast<std::uint32_t>(running.servicePack), 0)
                              .value_or(0);
        }
        running.edition = RunningEditionMask(productType, version->server_r2);
    }
    for (const SupportedSystem& record : supportedSystems_) {
        if (SystemMatches(record, running)) return 1;
    }
    return 0;
}

// The host's property questions (GetProperty, slot 10) and the hand-over of
// the host's log through property 9.
#include <cstring>

#include "tamsel_framework/basecomp.h"

namespace {

// Property numbers the host asks, and what its `out` points to.
enum Property : std::uint32_t {
    // Texts of `size` UTF-16 units: the package's name and description in
    // the host's language, the installed version, the package's version.
    PropertyName = 1,
    PropertyDescription = 2,
    PropertyCurrentVersion = 3,
    PropertyVersion = 4,
    // The host's install-state record.
    PropertyInstallState = 5,
    // 32-bit numbers: whether the component runs silently (asked twice
    // over), and a property that is always 1.
    PropertySilent = 6,
    PropertySilentAgain = 7,
    PropertyAlwaysOne = 8,
    // The host's log object, which the component writes to from then on.
    PropertyLogHandOver = 9,
};

// The name the host's verbose log ends under, in its own directory.
constexpr std::size_t HandedOverLogNameUnits = 256;

std::int32_t WriteNumber(void* out, std::int32_t value) {
    if (out == nullptr) return 0;
    std::memcpy(out, &value, sizeof value);
    return 1;
}

CStr HandedOverLogName(const char16_t* executableName) {
    CStr name(executableName);
    name += u".exe.log";
    char16_t bounded[HandedOverLogNameUnits] = {};
    CopyToBuffer(bounded, HandedOverLogNameUnits, name);
    return CStr(bounded);
}

// Moves the component's verbose log into the host's and closes the
// component's own log, when there is a verbose log to hand over. False when
// the host's log is not to be adopted.
bool MoveIntoHostLog(CCmpLog* current, bool ownsCurrent, CCmpLog* host) {
    if (current == nullptr || current->IsVerbose() == 0) return false;
    if (current == host) return true;  // handed over before: nothing moves twice
    current->MoveVerboseLog(host->GetVerboseLogName(), host->GetVerboseLogDirectory());
    // A log the component adopted earlier is another host object: it stays
    // open for its owner.
    if (ownsCurrent) current->Close();
    return true;
}

}  // namespace

std::int32_t CBaseComponent::GetProperty(std::uint32_t id, void* out, std::uint32_t size, const char16_t* language) {
    switch (id) {
        case PropertyName:
            return out != nullptr ? GetName(static_cast<char16_t*>(out), size, language) : 0;
        case PropertyDescription:
            return out != nullptr ? GetDescription(static_cast<char16_t*>(out), size, language) : 0;
        case PropertyCurrentVersion:
            return out != nullptr ? GetCurrentVersion(static_cast<char16_t*>(out), size) : 0;
        case PropertyVersion:
            return out != nullptr ? GetVersion(static_cast<char16_t*>(out), size) : 0;
        case PropertyInstallState:
            // The one check of the host's record: a shorter one is left
            // untouched and nothing is asked.
            if (out == nullptr || size < sizeof(InstallState)) return 0;
            return GetInstallState(*static_cast<InstallState*>(out), language);
        case PropertySilent:
            return WriteNumber(out, QueryProperty6());
        case PropertySilentAgain:
            return WriteNumber(out, QueryProperty7());
        case PropertyAlwaysOne:
            return WriteNumber(out, QueryProperty8());
        case PropertyLogHandOver: {
            // From here on every line of the component goes to the host's
            // log object, which the host keeps owning; its verbose file ends
            // as "<executable>.exe.log" in the host's verbose directory.
            auto* hostLog = static_cast<CCmpLog*>(out);
            if (hostLog == nullptr) return 0;
            if (!MoveIntoHostLog(log_, ownsLog_ != 0, hostLog)) return 1;
            AdoptLog(hostLog);
            hostLog->MoveVerboseLog(HandedOverLogName(executableName_).c_str(), hostLog->GetVerboseLogDirectory());
            return 1;
        }
        default:
            return 0;
    }
}

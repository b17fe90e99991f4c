// POSIX only: the services of the simulated machine, listed in the
// "[services]" section of its windows.ini as NAME=state.
#include "platform/services.h"

#include "platform/ascii.h"
#include "platform/unicode.h"
#include "windows_ini.h"

namespace platform {

ServiceState service_state(std::u16string_view name, ServiceAccess) {
    static constexpr std::pair<std::string_view, ServiceState> states[] = {
        {"stopped", ServiceState::stopped},
        {"start_pending", ServiceState::start_pending},
        {"stop_pending", ServiceState::stop_pending},
        {"running", ServiceState::running},
        {"continue_pending", ServiceState::continue_pending},
        {"pause_pending", ServiceState::pause_pending},
        {"paused", ServiceState::paused},
    };
    std::optional<posix::IniFile> ini = posix::windows_ini();
    if (!ini || name.empty()) return ServiceState::not_installed;
    std::optional<std::string> state = ini->value("services", utf16_to_utf8(name));
    if (!state) return ServiceState::not_installed;
    for (const auto& [word, meaning] : states)
        if (equals_ignoring_case(*state, word)) return meaning;
    return ServiceState::not_installed;  // a state no service control manager reports
}

}  // namespace platform

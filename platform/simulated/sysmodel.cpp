// POSIX only: the system model from the DMI product name.
#include "platform/sysmodel.h"

#include "platform/unicode.h"
#include "platform/wholefile.h"
#include "windows_ini.h"

namespace platform {

std::optional<std::u16string> system_model() {
    constexpr std::uint64_t model_size_limit = 64 * 1024;
    // A simulated machine replaces this computer's facts altogether: without
    // its own model file it has no model.
    std::string path = posix::machine_file("dmi/product_name").value_or("/sys/class/dmi/id/product_name");
    std::string bytes;
    if (read_whole_file(path, bytes, model_size_limit) != WholeFileStatus::ok) return std::nullopt;
    return utf8_to_utf16(bytes);
}

}  // namespace platform

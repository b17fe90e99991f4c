// POSIX only: no file carries a version resource.
#include "platform/fileversion.h"

namespace platform {

bool file_version(std::u16string_view, FileVersion&) {
    return false;
}

}  // namespace platform

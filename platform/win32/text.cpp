// Windows only: the system's own UTF-16 test.
#include "platform/text.h"
#include "wide.h"

#include <climits>

namespace platform {

bool is_utf16_text(const void* bytes, std::size_t size) {
    int length = size > INT_MAX ? INT_MAX : static_cast<int>(size);
    return ::IsTextUnicode(bytes, length, nullptr) != FALSE;
}

}  // namespace platform

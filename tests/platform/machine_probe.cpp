// Prints the Windows version facts that this program sees, on one line:
// major.minor.build|service pack|service pack number|product type|R2|
// architecture|product info (-1: none). Wine gives a program its own Windows version by its file
// name, so the tests set one for this program and read it back.
#include <cstdio>

#include "platform/osversion.h"
#include "platform/unicode.h"

int main() {
    std::optional<platform::WindowsVersion> version = platform::windows_version();
    if (!version) {
        std::printf("none\n");
        return 1;
    }
    std::optional<std::uint32_t> product =
        platform::windows_product_info(version->major, version->minor, version->service_pack_major, 0);
    std::printf("%u.%u.%u|%s|%u|%u|%d|%u|%ld\n", version->major, version->minor, version->build,
                platform::utf16_to_utf8(version->service_pack).c_str(), version->service_pack_major,
                version->product_type, version->server_r2 ? 1 : 0, platform::native_processor_architecture(),
                product ? static_cast<long>(*product) : -1L);
    return 0;
}

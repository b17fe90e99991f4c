// POSIX only: Linux's ANSI code page is UTF-8; other code pages go through
// iconv, which decodes them independently of the process's locale.
#include "platform/codepage.h"

#include <cerrno>
#include <iconv.h>

#include "platform/unicode.h"

namespace platform {

namespace {

// An iconv descriptor, closed on destruction.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

}  // namespace

std::string to_ansi_code_page(std::u16string_view text) { return utf16_to_utf8(text); }

bool decode_shift_jis(std::string_view bytes, std::u16string& text) {
    text.clear();
    // CP932 is the Windows form of Shift-JIS: the one Windows uses for the
    // name, with its extensions (NEC and IBM rows).
    Converter converter("UTF-16LE", "CP932");
    if (!converter.valid()) return false;
    std::string input(bytes);
    char* in = input.data();
    std::size_t in_left = input.size();
    std::string output(input.size() * 2 + 2, '\0');  // each byte yields at most one unit
    char* out = output.data();
    std::size_t out_left = output.size();
    if (iconv(converter.get(), &in, &in_left, &out, &out_left) == static_cast<std::size_t>(-1)) return false;
    std::size_t produced = output.size() - out_left;
    text.resize(produced / 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(output[2 * i]) |
                                        (static_cast<unsigned char>(output[2 * i + 1]) << 8));
    }
    return true;
}

}  // namespace platform

// The system's code pages: the ANSI code page that the plug-in's logs are
// written in, and Shift-JIS, which package files may declare.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// UTF-16 text in the system's ANSI code page, without terminator: on Windows
// the active code page, with its replacement character for what it cannot
// hold; on Linux UTF-8.
std::string to_ansi_code_page(std::u16string_view text);

// Shift-JIS bytes (code page 932) decoded to UTF-16 whatever the user's
// locale. False, with `text` unspecified, when the bytes are not valid
// Shift-JIS.
bool decode_shift_jis(std::string_view bytes, std::u16string& text);

}  // namespace platform

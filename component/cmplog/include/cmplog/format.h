// FormatText: printf-like formatting into the plug-in's UTF-16 text, the same
// on every platform and whatever the length of the result.
//
// Conversions: "%s" takes const char16_t* (null prints "(null)"), "%c" a
// char16_t (passed as int), "%d"/"%i" int, "%u", "%x", "%X" unsigned, "%%"
// a percent sign. Flags "-", "0", "+", " " and "#", a width and a precision
// (digits or "*") and the length modifiers "h", "l", "ll" and "z" work as in
// printf. A conversion it does not know is copied as written, so a faulty
// format shows in the text instead of reading arguments that are not there.
#pragma once

#include <cstdarg>
#include <string>

std::u16string FormatTextV(const char16_t* format, va_list args);
std::u16string FormatText(const char16_t* format, ...);

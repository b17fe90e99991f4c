// Windows only: UTF-8 above the layer, UTF-16 in the system calls.
#pragma once

#include <windows.h>
#include <string>

#include "scoped.h"

namespace platform::win32 {

std::wstring widen(const std::string& text);
std::string narrow(const std::wstring& text);
std::string narrow(const wchar_t* text, int length);

}  // namespace platform::win32

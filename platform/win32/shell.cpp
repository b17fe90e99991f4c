// Windows only: ShellExecuteW and shell links through COM.
#include "platform/shell.h"

#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "com.h"
#include "utf16.h"

namespace platform {

using win32::ComPtr;

std::intptr_t shell_open(std::u16string_view file, std::u16string_view directory) {
    std::optional<std::wstring> name = win32::wide_path(file);
    std::optional<std::wstring> folder = win32::wide_path(directory);
    if (!name || !folder) return SE_ERR_FNF;
    HINSTANCE result =
        ::ShellExecuteW(nullptr, L"open", name->c_str(), nullptr, folder->empty() ? nullptr : folder->c_str(), SW_HIDE);
    return reinterpret_cast<std::intptr_t>(result);
}

bool create_shell_link(std::u16string_view linkPath, const ShellLink& link) {
    std::optional<std::wstring> path = win32::wide_path(linkPath);
    if (!path) return false;
    win32::ComScope com(COINIT_APARTMENTTHREADED);
    if (!com.usable()) return false;
    ComPtr<IShellLinkW> shellLink;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(shellLink.out()))))
        return false;
    shellLink->SetDescription(win32::to_wide(link.description).c_str());
    shellLink->SetPath(win32::to_wide(link.target).c_str());
    shellLink->SetArguments(win32::to_wide(link.arguments).c_str());
    shellLink->SetWorkingDirectory(win32::to_wide(link.workingDirectory).c_str());
    ComPtr<IPersistFile> file;
    if (FAILED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.out())))) return false;
    return SUCCEEDED(file->Save(path->c_str(), TRUE));
}

}  // namespace platform

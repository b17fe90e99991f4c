// Windows only: the library's load notification runs the component's
// start-up.
#include <windows.h>

#include "tamsel_firmware/component.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) OnLibraryAttach();
    if (reason == DLL_PROCESS_DETACH) OnLibraryDetach();
    return TRUE;
}

// POSIX only: the shared library's constructor and destructor functions
// stand for the Windows load and unload notifications.
#include "tamsel_firmware/component.h"

namespace {

__attribute__((constructor)) void LibraryLoaded() { OnLibraryAttach(); }
__attribute__((destructor)) void LibraryUnloaded() { OnLibraryDetach(); }

}  // namespace

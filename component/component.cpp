#include "component.h"

CComponent& TheComponent() {
    // Constructed on first use, which is the load notification: the
    // runtime destroys it when the library is unloaded.
    static CComponent component;
    return component;
}

void OnLibraryAttach() {
    try {
        TheComponent().Init();
    } catch (...) {
        // Loading must succeed whatever start-up met; the host's later
        // questions see the state start-up reached.
    }
}

void OnLibraryDetach() {}

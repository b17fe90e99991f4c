// CComponent: the firmware component, the one component this plug-in
// exports, and the library's single instance of it.
#pragma once

#include "Source/basecomp.h"

class CComponent : public CBaseComponent {
public:
    CComponent() = default;
};

// The plug-in's one component object: constructed when the library is
// loaded, destroyed when it is unloaded.
CComponent& TheComponent();

// Called by the library's load and unload notifications.
void OnLibraryAttach();
void OnLibraryDetach();

// The plug-in's exports, under plain undecorated names, as the update-manager
// host looks them up.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define TAMSEL_EXPORT extern "C" __declspec(dllexport)
#else
#define TAMSEL_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Stores the interface version (100) and returns 1.
TAMSEL_EXPORT std::int32_t GetInterfaceVersion(std::int32_t* version);

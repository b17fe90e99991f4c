// The plug-in's exports, under plain undecorated names, as the update-manager
// host looks them up. Texts are zero-terminated UTF-16; sizes are 32-bit
// unsigned; results are 1 for success and 0 otherwise unless said.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define TAMSEL_EXPORT extern "C" __declspec(dllexport)
#else
#define TAMSEL_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Stores the interface version (100) and returns 1.
TAMSEL_EXPORT std::int32_t GetInterfaceVersion(std::int32_t* version);

// Answers property `id` into `out`:
//   1 name, 2 description (in `language`), 3 installed version, 4 package
//     version: UTF-16 text, copied only whole into `size` units;
//   5 install state: an InstallState record, `size` bytes, at least 2052;
//   6, 7 the package's silent-install flag, 8 always 1: a 32-bit integer;
//   9 hand-over of the host's log object (`out` points to its CCmpLog).
// Any other id, or a null `out`, answers 0 and writes nothing.
TAMSEL_EXPORT std::int32_t GetProperty(std::uint32_t id, void* out, std::uint32_t size, const char16_t* language);

// Runs the host's request (installation, discovery, update from a report or
// version report, chosen by the host's command line) and copies the result
// text into `message`, cut to `capacity` units. 0 failure; 1 discovery,
// report update or version report done; 2 firmware installed, a reboot is
// required; 3 all firmware already up to date.
TAMSEL_EXPORT std::int32_t Install(std::int32_t unattended, void* reserved, char16_t* message, std::uint32_t capacity,
                                   const char16_t* language);

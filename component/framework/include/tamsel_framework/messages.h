// The plug-in's localised messages, from two sources that choose their
// language differently:
// - the string-table messages, ids 1 to 18, resources of the plug-in's own
//   module in six languages, which follow the user-interface language
//   (stringtable.inc holds their texts);
// - the code message table, nine framework messages in six columns, chosen
//   by the language code that the host passes in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/resources.h"

// String-table message ids, by what each reports.
enum StringMessage : std::uint32_t {
    MessageUpdateRecommended = 1,
    MessageAllSame = 2,
    MessageNewerInstalled = 3,
    MessageDiscovering = 4,
    MessageUpdatingFromReport = 5,
    MessageNoDiscoveryFile = 6,
    MessageDiscoveryDone = 7,
    MessageDiscoveryFailed = 8,
    MessageNoUpdateFile = 9,
    MessageReportReadFailed = 10,
    MessageReportUpdateDone = 11,
    MessageVersionReportDone = 12,
    MessageAllUpToDate = 13,
    MessageInstallFailed = 14,
    MessageInstallDone = 15,
    MessageDriverRequired = 16,  // carried, never loaded
    MessageProductTitle = 17,    // carried, never loaded
    MessageDriverX64Required = 18,
    // Outcomes that must never read as success; each has a text of its own
    // in every language.
    MessageVersionUnknown = 19,           // the install state: the utility gave no version status
    MessageNoSupportedAdapter = 20,       // discovery, report update or version report: no adapter to work on
    MessageReportNameTooLong = 21,        // Install: the report file name does not fit its buffer
    MessagePackageDefinitionBroken = 22,  // no usable package definition
};
inline constexpr std::uint32_t StringMessageCount = 22;
// The first message whose Spanish, French and Italian texts are not the
// English one.
inline constexpr std::uint32_t FirstFullyTranslatedMessage = MessageVersionUnknown;

// The buffer that a loaded message goes into: 1023 units and a terminator.
inline constexpr std::size_t MessageBufferUnits = 1024;

// Loads string-table message `id` into `buffer`, cut to fit with its
// terminator (never inside a surrogate pair). Answers the units copied; 0,
// with the buffer emptied, when there is no such message.
std::size_t LoadMessage(std::uint32_t id, char16_t* buffer, std::size_t capacity);

// The string-table texts compiled into the plug-in from stringtable.inc,
// every id in every resource language: what the Linux build loads.
std::span<const platform::TableString> CompiledStringTable();

// Rows of the code message table.
enum CodeMessage : int {
    CodeMessageUnknownInfType = 1,
    CodeMessageOsNotSupported = 2,
    CodeMessageNotEnoughDiskSpace = 3,
    CodeMessageMarkedForRemoval = 4,
    CodeMessageNoSupportedDevices = 5,
    CodeMessageInstallError = 6,
    CodeMessageNoDevicesFound = 7,
    CodeMessageDeviceInstallFailed = 8,
    CodeMessageShellExecuteError = 9,
};
inline constexpr int CodeMessageRows = 9;
// Columns: English, French, Italian, German, Spanish, Japanese.
inline constexpr int CodeMessageLanguages = 6;
inline constexpr int LanguageIndexJapanese = 5;

// The column of a language code: "fr" 1, "it" 2, "de" 3, "es" 4, "ja" 5,
// letter case ignored; anything else, a code with a region part ("de-DE")
// and null included, 0 (English).
int LanguageIndex(const char16_t* language);

// A row's text in one column; "" for a row or column outside the table.
const char16_t* CodeMessageText(int row, int column);
// Direct selection: the row in the language's column.
const char16_t* SelectMessage(int row, const char16_t* language);
// Fallback selection: Japanese for a Japanese code when the row has a
// Japanese text, otherwise English.
const char16_t* SelectFallbackMessage(int row, const char16_t* language);

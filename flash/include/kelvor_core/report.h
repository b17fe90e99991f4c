// The discovery report tarn_rom_discovery: the reader that turns the adapter
// tool's file into supported adapters, and the version-only report that a
// -v run writes while the file is read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvor {

// Adds every catalog-matched adapter of the file to the adapter list.
// Returns 0 when at least one adapter matched and 1 otherwise; 0 at once
// when discovery is already done. `loaded`, when given, tells whether the
// file was a well-formed document with the report's root at all.
int readDiscoveryReport(const std::string& fileName, bool* loaded = nullptr);

// The same for the bytes of a report file already in memory; fileName is
// the name that the log lines give it.
int readDiscoveryReportBytes(std::string_view bytes, const std::string& fileName);

// A hexadecimal identity: the whole value must be one base-16 number
// (leading blanks, a sign and "0x" allowed, nothing after the digits), and
// it must lie strictly inside the 32-bit signed range.
std::optional<std::uint32_t> parseIdentity(std::string_view value);

}  // namespace kelvor

// Records shared by the inventory, the report reader, the version status and
// the update flows: the version triple, one catalog entry, one discovered
// adapter and its ports.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvor {

struct VersionTriple {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;

    // major.minor.build in decimal.
    std::string text() const;
    friend bool operator==(const VersionTriple&, const VersionTriple&) = default;
};

// Reads "major.minor.build": the major number is the run of decimal digits
// that ends just before the first "." (so "v4.0.550" and "10.1.2" read as
// 4.0.550 and 10.1.2); minor and build are the next two dot-separated fields,
// each read like a decimal integer up to its first non-digit; further fields
// are ignored. A text without any "." gives 0.0.0.
VersionTriple parseVersion(std::string_view text);

// Reads like the C library's decimal conversion: leading blanks, an optional
// sign, digits up to the first non-digit; no digits give 0. Saturates at the
// limits of a 32-bit signed number instead of overflowing.
std::int32_t decimalValue(std::string_view text);

// One adapter model of the firmware catalog. Texts are kept as written, as
// views of the parsed catalog that the run state keeps; a missing attribute
// reads as " ".
struct CatalogEntry {
    std::string_view name;
    std::string_view venid;
    std::string_view devid;
    std::string_view subvenid;
    std::string_view subdevid;
    std::string_view rom;
    std::string_view fwFile;
    VersionTriple romVersion;
};

struct PortRecord {
    std::string portId;
    std::string macAddress;
    std::string productId;
    std::int32_t funcNumber = 0;
};

// Bits of AdapterRecord::flags.
constexpr std::uint32_t AdapterInCatalog = 0x1;
constexpr std::uint32_t AdapterSelected = 0x2;

struct AdapterRecord {
    std::string name;  // device identifier, or the product name of its designated port
    std::string versionText;
    std::string location;  // bus:device:function
    std::uint32_t venid = 0;
    std::uint32_t devid = 0;
    std::uint32_t subvenid = 0;
    std::uint32_t subdevid = 0;
    std::string pciKey;
    std::string macAddress;
    VersionTriple installed;
    VersionTriple available;
    std::string productId;
    std::uint32_t flags = 0;
    std::string firmwareId;
    std::string installedText;
    std::string action;
    std::int32_t duration = 0;
    bool shared = true;
    std::string message;
    std::int32_t portCount = 0;
    std::vector<PortRecord> ports;
};

}  // namespace kelvor

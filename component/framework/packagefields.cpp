#include "tamsel_framework/packagefields.h"
#include "platform/ascii.h"

#include <array>
#include <limits>
#include <utility>

CStr MakeHardwareId(std::u16string_view text) {
    switch (text.size()) {
    case 7:
        return CStr(u"*") + text;
    case 8:
        return CStr(u"PCI\\VEN_") + text.substr(0, 4) + u"&DEV_" + text.substr(4, 4);
    case 16:
        return CStr(u"PCI\\VEN_") + text.substr(0, 4) + u"&DEV_" + text.substr(4, 4) + u"&SUBSYS_" +
               text.substr(12, 4) + text.substr(8, 4);
    default:
        return CStr();
    }
}

std::uint16_t EditionFromToken(std::u16string_view token) {
    static constexpr std::array<std::pair<std::u16string_view, std::uint16_t>, 16> editions{{
        {u"", 0xFFFF},       {u"srvr", 0xFF05},     {u"core", 0xFF0A},     {u"r2", 0xFF0C},
        {u"r2srvr", 0xFF04}, {u"r2core", 0xFF08},   {u"dc", 0x040F},       {u"ebs", 0x0206},
        {u"dcsrvr", 0x0405}, {u"dccore", 0x040A},   {u"dcr2", 0x040C},     {u"dcr2srvr", 0x0404},
        {u"dcr2core", 0x0408}, {u"sbs", 0x0205},    {u"sbsr2", 0x0204},    {u"ebsr2", 0x0207},
    }};
    CStr lowered = CStr(token).ToLower();
    for (const auto& [name, mask] : editions) {
        if (lowered == name) return mask;
    }
    return 0;
}

std::uint32_t LeadingDecimal(std::u16string_view text) {
    return platform::leading_decimal(text, std::numeric_limits<std::uint32_t>::max());
}

std::int32_t LeadingSignedDecimal(std::u16string_view text) {
    bool negative = !text.empty() && text[0] == u'-';
    std::uint32_t magnitude = LeadingDecimal(negative ? text.substr(1) : text);
    constexpr std::uint32_t limit = std::numeric_limits<std::int32_t>::max();
    if (magnitude > limit) magnitude = limit;
    return negative ? -static_cast<std::int32_t>(magnitude) : static_cast<std::int32_t>(magnitude);
}

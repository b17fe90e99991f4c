// Registry values and their meaning: portable; opening keys and reading and
// writing values is in simulated/registry.cpp and win32/registry.cpp.
#include "platform/registry.h"

namespace platform {

namespace {

void append_utf16le(std::string& bytes, std::u16string_view text) {
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    bytes.append(2, '\0');
}

// The data as UTF-16 units; a last odd byte is no unit and is dropped.
std::u16string units_of(std::string_view data) {
    std::u16string units;
    units.reserve(data.size() / 2);
    for (std::size_t i = 0; i + 1 < data.size(); i += 2)
        units +=
            static_cast<char16_t>(static_cast<unsigned char>(data[i]) | (static_cast<unsigned char>(data[i + 1]) << 8));
    return units;
}

}  // namespace

RegistryValue registry_dword(std::uint32_t number) {
    RegistryValue value{reg_dword, {}};
    for (int shift = 0; shift < 32; shift += 8) value.data += static_cast<char>((number >> shift) & 0xFF);
    return value;
}

RegistryValue registry_string(std::u16string_view text, std::uint32_t type) {
    RegistryValue value{type, {}};
    append_utf16le(value.data, text);
    return value;
}

RegistryValue registry_multi_string(const std::vector<std::u16string>& texts) {
    RegistryValue value{reg_multi_sz, {}};
    for (const std::u16string& text : texts) append_utf16le(value.data, text);
    value.data.append(2, '\0');
    return value;
}

RegistryStatus decode_dword(const RegistryValue& value, std::uint32_t& number) {
    if (value.type != reg_dword) return RegistryStatus::wrong_type;
    if (value.data.size() != 4) return RegistryStatus::wrong_size;
    number = 0;
    for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(value.data[i]);
    return RegistryStatus::ok;
}

RegistryStatus decode_string(const RegistryValue& value, std::u16string& text) {
    if (value.type != reg_sz && value.type != reg_expand_sz) return RegistryStatus::wrong_type;
    if (value.data.size() % 2 != 0) return RegistryStatus::wrong_size;
    text = units_of(value.data);
    text.resize(text.find(u'\0') == std::u16string::npos ? text.size() : text.find(u'\0'));
    return RegistryStatus::ok;
}

RegistryStatus decode_multi_string(const RegistryValue& value, std::vector<std::u16string>& texts) {
    if (value.type != reg_multi_sz) return RegistryStatus::wrong_type;
    if (value.data.size() % 2 != 0) return RegistryStatus::wrong_size;
    texts.clear();
    std::u16string units = units_of(value.data);
    std::size_t start = 0;
    while (start < units.size()) {
        std::size_t end = units.find(u'\0', start);
        if (end == start) break;  // the empty string that ends the list
        if (end == std::u16string::npos) end = units.size();
        texts.push_back(units.substr(start, end - start));
        start = end + 1;
    }
    return RegistryStatus::ok;
}

RegistryStatus RegistryKey::read_dword(std::u16string_view name, std::uint32_t& number) const {
    RegistryValue value;
    RegistryStatus status = read(name, value);
    return status == RegistryStatus::ok ? decode_dword(value, number) : status;
}

RegistryStatus RegistryKey::read_string(std::u16string_view name, std::u16string& text) const {
    RegistryValue value;
    RegistryStatus status = read(name, value);
    return status == RegistryStatus::ok ? decode_string(value, text) : status;
}

RegistryStatus RegistryKey::read_multi_string(std::u16string_view name, std::vector<std::u16string>& texts) const {
    RegistryValue value;
    RegistryStatus status = read(name, value);
    return status == RegistryStatus::ok ? decode_multi_string(value, texts) : status;
}

}  // namespace platform

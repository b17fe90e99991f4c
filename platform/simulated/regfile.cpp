// The registry export text format: portable, no system calls.
#include "platform/regfile.h"

#include <algorithm>
#include <optional>

#include "platform/unicode.h"

namespace platform::regfile {

namespace {

constexpr std::size_t npos = std::u16string::npos;
constexpr std::size_t hex_line_width = 76;  // where regedit breaks long hex data
constexpr char16_t hex_digits[] = u"0123456789abcdef";

char16_t fold(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

std::u16string fold_path(std::u16string_view path) {
    std::u16string folded(path);
    for (char16_t& c : folded) c = fold(c);
    return folded;
}

bool equal_no_case(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

bool starts_with_no_case(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && equal_no_case(text.substr(0, prefix.size()), prefix);
}

// The escapes of a quoted text, read and written alike: the character after
// the backslash and the one it stands for.
struct Escape {
    char16_t written;
    char16_t meant;
};
constexpr Escape quoted_escapes[] = {{u'\\', u'\\'}, {u'"', u'"'}, {u'n', u'\n'}, {u'r', u'\r'}, {u'0', u'\0'}};

const Escape* escape_where(char16_t Escape::*side, char16_t c) {
    for (const Escape& escape : quoted_escapes)
        if (escape.*side == c) return &escape;
    return nullptr;
}

bool is_space(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view trim(std::u16string_view text) {
    while (!text.empty() && is_space(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_space(text.back())) text.remove_suffix(1);
    return text;
}

int hex_digit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// 1 to 8 hex digits, the whole text.
std::optional<std::uint32_t> parse_hex_number(std::u16string_view text) {
    if (text.empty() || text.size() > 8) return std::nullopt;
    std::uint32_t number = 0;
    for (char16_t c : text) {
        int digit = hex_digit(c);
        if (digit < 0) return std::nullopt;
        number = number * 16 + static_cast<std::uint32_t>(digit);
    }
    return number;
}

// "01,ff, 2a" with an optional trailing comma; empty text is no bytes.
std::optional<std::string> parse_hex_bytes(std::u16string_view text) {
    std::string bytes;
    text = trim(text);
    while (!text.empty()) {
        std::size_t comma = text.find(u',');
        std::u16string_view item = trim(text.substr(0, comma));
        if (item.size() > 2) return std::nullopt;
        auto number = parse_hex_number(item);
        if (!number) return std::nullopt;
        bytes += static_cast<char>(*number);
        if (comma == npos) break;
        text = trim(text.substr(comma + 1));
    }
    return bytes;
}

// A quoted text starting at text[pos] == '"'; pos ends after the closing
// quote. A backslash before any other character than those of
// quoted_escapes stays, as regedit keeps it.
std::optional<std::u16string> parse_quoted(std::u16string_view text, std::size_t& pos) {
    std::u16string out;
    for (std::size_t i = pos + 1; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'"') {
            pos = i + 1;
            return out;
        }
        if (c == u'\\' && i + 1 < text.size()) {
            char16_t next = text[++i];
            if (const Escape* known = escape_where(&Escape::written, next))
                out += known->meant;
            else
                out += {c, next};
            continue;
        }
        out += c;
    }
    return std::nullopt;
}

std::string utf16le_bytes(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

struct ParsedValue {
    std::u16string name;
    bool remove = false;
    RegistryValue value;
};

// The data after "=": a string, a DWORD, hex bytes of a type, or "-".
// regedit takes the hex data of expandable and multi-strings in a file that
// is not UTF-16 as 8-bit text (here UTF-8), and stores it as UTF-16.
bool holds_text(std::uint32_t type) {
    return type == reg_expand_sz || type == reg_multi_sz;
}

bool parse_data(std::u16string_view data, bool eightBit, ParsedValue& out) {
    data = trim(data);
    if (data == u"-") {
        out.remove = true;
        return true;
    }
    if (!data.empty() && data.front() == u'"') {
        std::size_t pos = 0;
        auto text = parse_quoted(data, pos);
        if (!text || !trim(data.substr(pos)).empty()) return false;
        out.value = registry_string(*text);
        return true;
    }
    if (starts_with_no_case(data, u"dword:")) {
        auto number = parse_hex_number(trim(data.substr(6)));
        if (!number) return false;
        out.value = registry_dword(*number);
        return true;
    }
    if (!starts_with_no_case(data, u"hex")) return false;
    data.remove_prefix(3);
    std::uint32_t type = reg_binary;
    if (!data.empty() && data.front() == u'(') {
        std::size_t close = data.find(u')');
        if (close == npos) return false;
        auto number = parse_hex_number(data.substr(1, close - 1));
        if (!number) return false;
        type = *number;
        data.remove_prefix(close + 1);
    }
    if (data.empty() || data.front() != u':') return false;
    auto bytes = parse_hex_bytes(data.substr(1));
    if (!bytes) return false;
    if (eightBit && holds_text(type)) *bytes = utf16le_bytes(utf8_to_utf16(*bytes));
    out.value = RegistryValue{type, std::move(*bytes)};
    return true;
}

// Splits "Name"=data or @=data into the name and the data.
bool split_value_line(std::u16string_view line, std::u16string& name, std::u16string_view& data) {
    std::size_t pos = 0;
    if (line.empty()) return false;
    if (line.front() == u'@') {
        pos = 1;
        name.clear();
    } else if (line.front() == u'"') {
        auto quoted = parse_quoted(line, pos);
        if (!quoted) return false;
        name = std::move(*quoted);
    } else {
        return false;
    }
    while (pos < line.size() && is_space(line[pos])) ++pos;
    if (pos >= line.size() || line[pos] != u'=') return false;
    data = line.substr(pos + 1);
    return true;
}

bool parse_value_line(std::u16string_view line, bool eightBit, ParsedValue& out) {
    std::u16string_view data;
    return split_value_line(line, out.name, data) && parse_data(data, eightBit, out);
}

// Hex data continues on the next line when its line ends with "".
bool continues(std::u16string_view logical) {
    std::u16string_view trimmed = trim(logical);
    if (trimmed.empty() || trimmed.back() != u'\\') return false;
    std::u16string name;
    std::u16string_view data;
    return split_value_line(trimmed, name, data) && starts_with_no_case(trim(data), u"hex");
}

std::u16string decode_text(std::string_view bytes, bool& utf16, bool& bom) {
    utf16 = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
            static_cast<unsigned char>(bytes[1]) == 0xFE;
    bom = !utf16 && bytes.substr(0, 3) == "\xEF\xBB\xBF";
    if (!utf16) return utf8_to_utf16(bom ? bytes.substr(3) : bytes);
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return text;
}

std::vector<std::u16string> split_lines(std::u16string_view text) {
    std::vector<std::u16string> lines;
    while (!text.empty()) {
        std::size_t end = text.find(u'\n');
        std::u16string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

}  // namespace

bool names_equal(std::u16string_view a, std::u16string_view b) {
    return equal_no_case(a, b);
}

std::u16string_view root_name(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::classes_root:
            return u"HKEY_CLASSES_ROOT";
        case RegistryRoot::current_user:
            return u"HKEY_CURRENT_USER";
        case RegistryRoot::local_machine:
            return u"HKEY_LOCAL_MACHINE";
        case RegistryRoot::users:
            return u"HKEY_USERS";
    }
    return u"HKEY_LOCAL_MACHINE";
}

std::u16string normalize_path(std::u16string_view path) {
    static constexpr std::u16string_view short_names[][2] = {{u"HKLM", u"HKEY_LOCAL_MACHINE"},
                                                             {u"HKCU", u"HKEY_CURRENT_USER"},
                                                             {u"HKCR", u"HKEY_CLASSES_ROOT"},
                                                             {u"HKU", u"HKEY_USERS"},
                                                             {u"HKEY_LOCAL_MACHINE", u"HKEY_LOCAL_MACHINE"},
                                                             {u"HKEY_CURRENT_USER", u"HKEY_CURRENT_USER"},
                                                             {u"HKEY_CLASSES_ROOT", u"HKEY_CLASSES_ROOT"},
                                                             {u"HKEY_USERS", u"HKEY_USERS"}};
    std::u16string out;
    bool first = true;
    while (!path.empty()) {
        std::size_t end = path.find(u'\\');
        std::u16string_view part = path.substr(0, end);
        path.remove_prefix(end == npos ? path.size() : end + 1);
        if (part.empty()) continue;
        if (first)
            for (const auto& name : short_names)
                if (equal_no_case(part, name[0])) part = name[1];
        if (!first) out += u'\\';
        out += part;
        first = false;
    }
    return out;
}

std::u16string full_path(RegistryRoot root, std::u16string_view path) {
    std::u16string whole(root_name(root));
    whole += u'\\';
    whole += path;
    return normalize_path(whole);
}

bool Document::parse(std::string_view bytes) {
    *this = Document{};
    bool utf16 = false;
    bool bom = false;
    std::vector<std::u16string> lines = split_lines(decode_text(bytes, utf16, bom));
    std::size_t first = 0;
    while (first < lines.size() && trim(lines[first]).empty()) ++first;
    if (first == lines.size() || trim(lines[first]) != header) return false;
    encoding_ = utf16 ? Encoding::utf16le : bom ? Encoding::utf8_bom : Encoding::utf8;
    parse_lines(lines, first + 1);
    return true;
}

void Document::parse_lines(const std::vector<std::u16string>& lines, std::size_t first) {
    // An index, not a pointer: keys_ grows and shrinks while parsing. A line
    // that is kept stays with the key it stood under, so that it means as
    // little when the file is read again; a line that is not even a key
    // starts no new one.
    constexpr std::size_t no_key = std::u16string::npos;
    std::size_t current = no_key;
    bool deleting = false;  // under "[-KEY]", where lines mean nothing
    for (std::size_t i = first; i < lines.size(); ++i) {
        std::u16string logical(trim(lines[i]));
        std::u16string raw = lines[i];
        // A blank line ends hex data even after a "\\", as it does for regedit.
        // `logical` stays trimmed at its start and ends with the "\\", so
        // dropping that is all; long hex data joins in linear time.
        while (continues(logical) && i + 1 < lines.size() && !trim(lines[i + 1]).empty()) {
            logical.pop_back();
            logical += trim(lines[++i]);
            raw += u'\n' + lines[i];
        }
        if (logical.empty()) continue;
        if (is_key_deletion(logical)) {
            remove_keys(normalize_path(std::u16string_view(logical).substr(2, logical.size() - 3)));
            current = no_key;
            deleting = true;
            continue;
        }
        if (std::optional<std::size_t> opened = section(logical)) {
            current = *opened;
            deleting = false;
            continue;
        }
        if (deleting) continue;
        bool comment = logical.front() == u';';
        ParsedValue parsed;
        if (current != no_key && !comment && parse_value_line(logical, encoding_ != Encoding::utf16le, parsed)) {
            if (parsed.remove)
                erase_entry(keys_[current], parsed.name);
            else
                set_entry(keys_[current], parsed.name, parsed.value);
            continue;
        }
        if (!comment) ++skipped_;
        if (current == no_key) {
            preamble_.push_back(raw);
            continue;
        }
        Entry kept;
        kept.text = raw;
        keys_[current].entries.push_back(std::move(kept));
    }
    compact();
}

bool Document::is_key_deletion(std::u16string_view line) {
    return line.size() > 3 && line[0] == u'[' && line[1] == u'-' && line.back() == u']' &&
           !normalize_path(line.substr(2, line.size() - 3)).empty();
}

std::optional<std::size_t> Document::section(std::u16string_view line) {
    if (line.size() < 3 || line.front() != u'[' || line.back() != u']') return std::nullopt;
    std::u16string path = normalize_path(line.substr(1, line.size() - 2));
    if (path.empty()) return std::nullopt;
    return key_for(path);
}

Key* Document::find(std::u16string_view path) {
    auto found = index_.find(fold_path(normalize_path(path)));
    return found == index_.end() ? nullptr : &keys_[found->second];
}

const Key* Document::find_key(std::u16string_view path) const {
    return const_cast<Document*>(this)->find(path);
}

bool Document::key_exists(std::u16string_view path) const {
    std::u16string normalized = normalize_path(path);
    if (normalized.empty()) return false;
    std::u16string folded = fold_path(normalized);
    if (index_.count(folded) != 0) return true;
    folded += u'\\';
    auto below = index_.lower_bound(folded);
    return below != index_.end() && below->first.compare(0, folded.size(), folded) == 0;
}

std::size_t Document::key_for(std::u16string_view normalized) {
    auto [entry, added] = index_.try_emplace(fold_path(normalized), keys_.size());
    if (added) keys_.push_back(Key{std::u16string(normalized), {}});
    return entry->second;
}

bool Document::remove_keys(std::u16string_view normalized) {
    if (normalized.empty()) return false;
    std::size_t before = index_.size();
    auto remove = [this](std::map<std::u16string, std::size_t>::iterator entry) {
        Key& key = keys_[entry->second];
        key.path.clear();
        key.entries.clear();
        return index_.erase(entry);
    };
    std::u16string folded = fold_path(normalized);
    if (auto self = index_.find(folded); self != index_.end()) remove(self);
    // Every path below starts with the path and "\\"; "]" is the character
    // after "\\", so they are exactly the paths from path + "\\" up to
    // path + "]". A sibling with a longer name ("Svc1" and "Svc10") sorts
    // outside that range.
    folded += u'\\';
    auto entry = index_.lower_bound(folded);
    folded.back() = u']';
    auto end = index_.lower_bound(folded);
    while (entry != end) entry = remove(entry);
    return index_.size() != before;
}

void Document::compact() {
    std::vector<std::size_t> moved(keys_.size());
    std::size_t kept = 0;
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        if (keys_[i].path.empty()) continue;
        moved[i] = kept;
        if (kept != i) keys_[kept] = std::move(keys_[i]);
        ++kept;
    }
    if (kept == keys_.size()) return;
    keys_.resize(kept);
    for (auto& entry : index_) entry.second = moved[entry.second];
}

const RegistryValue* Document::find_value(std::u16string_view path, std::u16string_view name) const {
    const Key* key = find_key(path);
    if (key == nullptr) return nullptr;
    for (const Entry& entry : key->entries)
        if (entry.is_value && equal_no_case(entry.name, name)) return &entry.value;
    return nullptr;
}

void Document::create_key(std::u16string_view path) {
    std::u16string normalized = normalize_path(path);
    if (!normalized.empty()) key_for(normalized);
}

bool Document::delete_key(std::u16string_view path) {
    if (!remove_keys(normalize_path(path))) return false;
    compact();
    return true;
}

void Document::set_entry(Key& key, std::u16string_view name, const RegistryValue& value) {
    for (Entry& entry : key.entries)
        if (entry.is_value && equal_no_case(entry.name, name)) {
            entry.value = value;
            return;
        }
    key.entries.push_back(Entry{true, std::u16string(name), value, {}});
}

bool Document::erase_entry(Key& key, std::u16string_view name) {
    auto named = [&](const Entry& entry) { return entry.is_value && equal_no_case(entry.name, name); };
    auto found = std::find_if(key.entries.begin(), key.entries.end(), named);
    if (found == key.entries.end()) return false;
    key.entries.erase(found);
    return true;
}

void Document::set_value(std::u16string_view path, std::u16string_view name, const RegistryValue& value) {
    std::u16string normalized = normalize_path(path);
    if (normalized.empty()) return;
    set_entry(keys_[key_for(normalized)], name, value);
}

bool Document::delete_value(std::u16string_view path, std::u16string_view name) {
    Key* key = find(path);
    return key != nullptr && erase_entry(*key, name);
}

namespace {

std::u16string escape(std::u16string_view text) {
    std::u16string out;
    for (char16_t c : text) {
        if (const Escape* known = escape_where(&Escape::meant, c))
            out += {u'\\', known->written};
        else
            out += c;
    }
    return out;
}

// The quoted form fits only a plain, well-formed text with one terminator;
// anything else is written as hex so that it reads back byte for byte.
std::optional<std::u16string> plain_string(const RegistryValue& value) {
    if (value.type != reg_sz || value.data.size() < 2 || value.data.size() % 2 != 0) return std::nullopt;
    std::u16string text;
    if (decode_string(value, text) != RegistryStatus::ok) return std::nullopt;
    if (registry_string(text).data != value.data) return std::nullopt;
    if (text.find_first_of(u"\r\n") != npos) return std::nullopt;
    std::string utf8;
    if (!utf16_to_utf8_strict(text, utf8)) return std::nullopt;
    return text;
}

// The 8-bit form of an expandable or multi-string's data; nothing when the
// data is no well-formed UTF-16, which only a UTF-16 file can then carry.
std::optional<std::string> eight_bit_text(const RegistryValue& value) {
    if (value.data.size() % 2 != 0) return std::nullopt;
    std::u16string units;
    for (std::size_t i = 0; i + 1 < value.data.size(); i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(value.data[i]) |
                                       (static_cast<unsigned char>(value.data[i + 1]) << 8));
    std::string text;
    if (!utf16_to_utf8_strict(units, text)) return std::nullopt;
    return text;
}

void append_hex(std::u16string& out, std::string_view bytes) {
    std::size_t line_start = out.rfind(u'\n');
    std::size_t width = out.size() - (line_start == npos ? 0 : line_start + 1);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            out += u',';
            ++width;
            if (width > hex_line_width) {
                out += u"\\\r\n  ";
                width = 2;
            }
        }
        auto byte = static_cast<unsigned char>(bytes[i]);
        out += {hex_digits[byte >> 4], hex_digits[byte & 0xF]};
        width += 2;
    }
}

void append_quoted(std::u16string& out, std::u16string_view text) {
    out += u'"';
    out += escape(text);
    out += u'"';
}

void append_value(std::u16string& out, const Entry& entry, bool eightBit) {
    if (entry.name.empty())
        out += u'@';
    else
        append_quoted(out, entry.name);
    out += u'=';
    const RegistryValue& value = entry.value;
    std::uint32_t number = 0;
    if (auto text = plain_string(value)) {
        append_quoted(out, *text);
    } else if (value.type == reg_dword && decode_dword(value, number) == RegistryStatus::ok) {
        out += u"dword:";
        for (int shift = 28; shift >= 0; shift -= 4) out += hex_digits[(number >> shift) & 0xF];
    } else {
        out += u"hex";
        if (value.type != reg_binary) {
            std::u16string type;
            for (std::uint32_t n = value.type; type.empty() || n != 0; n /= 16)
                type.insert(type.begin(), hex_digits[n % 16]);
            out += u'(';
            out += type;
            out += u')';
        }
        out += u':';
        std::optional<std::string> text = eightBit && holds_text(value.type) ? eight_bit_text(value) : std::nullopt;
        append_hex(out, text ? *text : value.data);
    }
    out += u"\r\n";
}

void append_kept(std::u16string& out, std::u16string_view text) {
    for (char16_t c : text) {
        if (c == u'\n') out += u'\r';
        out += c;
    }
    out += u"\r\n";
    // A kept line that ended its hex data with "\" was ended by a blank line;
    // keep one, or the next line would join it when the file is read again.
    std::u16string_view last = trim(text.substr(text.rfind(u'\n') == npos ? 0 : text.rfind(u'\n') + 1));
    if (!last.empty() && last.back() == u'\\') out += u"\r\n";
}

}  // namespace

bool Document::fits_eight_bits() const {
    for (const Key& key : keys_)
        for (const Entry& entry : key.entries)
            if (entry.is_value && holds_text(entry.value.type) && !eight_bit_text(entry.value)) return false;
    return true;
}

std::string Document::serialize() const {
    bool eightBit = encoding_ != Encoding::utf16le && fits_eight_bits();
    std::u16string out(header);
    out += u"\r\n";
    if (!preamble_.empty()) out += u"\r\n";
    for (const std::u16string& line : preamble_) append_kept(out, line);
    for (const Key& key : keys_) {
        out += u"\r\n[";
        out += key.path;
        out += u"]\r\n";
        for (const Entry& entry : key.entries) {
            if (entry.is_value)
                append_value(out, entry, eightBit);
            else
                append_kept(out, entry.text);
        }
    }
    out += u"\r\n";
    if (!eightBit) return "\xFF\xFE" + utf16le_bytes(out);
    return (encoding_ == Encoding::utf8_bom ? "\xEF\xBB\xBF" : "") + utf16_to_utf8(out);
}

}  // namespace platform::regfile

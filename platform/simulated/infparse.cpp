// Portable code: no system headers here.
#include "platform/infparse.h"

#include <algorithm>
#include <charconv>

#include "platform/unicode.h"

namespace platform::inf {

namespace {

constexpr char16_t control_z = 0x1A;

// Line ends are "\n" alone: a "\r" before it is a blank like any other, so
// it falls away from the end of a field but stays inside quotes.
bool is_blank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

// The further blanks of a UTF-16 file. U+0085 is a blank there, not a line
// end.
bool is_wide_blank(char16_t c) {
    return c == 0x00A0 || c == 0x0085 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 ||
           c == 0x2029 || c == 0x202F || c == 0x3000;
}

char16_t fold(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 0x20);
    return c;
}

bool equals_no_case(std::u16string_view left, std::u16string_view right) {
    return left.size() == right.size() && std::equal(left.begin(), left.end(), right.begin(),
                                                     [](char16_t a, char16_t b) { return fold(a) == fold(b); });
}

// One key or field being read. Blanks are held back until something
// follows them, so that blanks at the end fall away and blanks inside stay;
// blanks before anything else of the field are dropped.
class FieldText {
public:
    bool leading() const { return leading_; }
    void blank(char16_t c) {
        if (!leading_ && held_.size() < max_field_length) held_ += c;
    }
    // A joined line starts again with its blanks dropped, and the blanks
    // held before the joining "\" are gone.
    void rejoin() {
        held_.clear();
        leading_ = true;
    }
    void append(std::u16string_view piece) {
        leading_ = false;
        add(held_);
        held_.clear();
        add(piece);
    }
    std::u16string take() {
        std::u16string text = std::move(text_);
        text_.clear();
        held_.clear();
        leading_ = true;
        return text;
    }

private:
    void add(std::u16string_view piece) {
        std::size_t room = max_field_length - text_.size();
        text_.append(piece.substr(0, std::min(room, piece.size())));
    }

    std::u16string text_;
    std::u16string held_;
    bool leading_ = true;
};

}  // namespace

class InfParser {
public:
    InfParser(std::u16string_view text, bool wideBlanks, InfText& out)
        : text_(text), wide_blanks_(wideBlanks), out_(out) {}

    void run() {
        while (!at_end()) {
            char16_t c = text_[pos_];
            if (c == u'\n') {
                ++line_;
                ++pos_;
            } else if (blank(c)) {
                ++pos_;
            } else if (c == u';') {
                skip_to_line_end();
            } else if (c == u'[') {
                if (!read_section_header()) return;
                skip_to_line_end();
            } else if (!section_) {
                if (out_.stray_text_line_ == 0) out_.stray_text_line_ = line_;
                ++pos_;
            } else {
                read_line();
            }
        }
    }

private:
    bool blank(char16_t c) const { return is_blank(c) || (wide_blanks_ && is_wide_blank(c)); }
    bool at_end() const { return pos_ >= text_.size(); }
    bool at_line_end() const { return at_end() || text_[pos_] == u'\n'; }
    void skip_to_line_end() {
        while (!at_line_end()) ++pos_;
    }

    bool fail(InfParseStatus status) {
        out_.status_ = status;
        out_.error_line_ = line_;
        return false;
    }

    // At "[": the name runs to "]" on the same line, taken as written.
    bool read_section_header() {
        std::size_t start = ++pos_;
        while (!at_line_end() && text_[pos_] != u']') ++pos_;
        if (at_line_end()) return fail(InfParseStatus::unterminated_section_name);
        if (pos_ - start > max_section_name_length) return fail(InfParseStatus::section_name_too_long);
        section_ = out_.add_section(text_.substr(start, pos_ - start));
        ++pos_;
        return true;
    }

    void read_line() {
        InfLine line;
        FieldText field;
        bool key_possible = true;
        while (!at_line_end()) {
            char16_t c = text_[pos_];
            if (c == u';') {
                skip_to_line_end();
            } else if (c == u',' || (c == u'=' && key_possible)) {
                if (c == u'=')
                    line.key = field.take();
                else
                    line.fields.push_back(field.take());
                key_possible = false;
                ++pos_;
            } else if (c == u'"') {
                ++pos_;
                read_quoted(field);
            } else if (c == u'\\') {
                read_backslash(field);
            } else if (blank(c)) {
                field.blank(c);
                ++pos_;
            } else {
                field.append(text_.substr(pos_++, 1));
            }
        }
        line.fields.push_back(field.take());
        if (!line.key && line.fields.size() == 1) line.key = line.fields.front();
        out_.sections_[*section_].lines.push_back(std::move(line));
    }

    // After the opening quote: up to the closing one or the end of the line.
    void read_quoted(FieldText& field) {
        field.append(u"");
        std::size_t start = pos_;
        while (!at_line_end()) {
            if (text_[pos_] != u'"') {
                ++pos_;
                continue;
            }
            bool doubled = pos_ + 1 < text_.size() && text_[pos_ + 1] == u'"';
            field.append(text_.substr(start, pos_ - start + (doubled ? 1 : 0)));
            pos_ += doubled ? 2 : 1;
            if (!doubled) return;
            start = pos_;
        }
        field.append(text_.substr(start, pos_ - start));
    }

    // At "\": a line join when only blanks, further "\" and a comment follow
    // up to the line end; otherwise the "\" and the blanks after it are text.
    void read_backslash(FieldText& field) {
        std::size_t start = pos_;
        std::size_t p = pos_;
        while (p < text_.size()) {
            char16_t c = text_[p];
            if (c == u'\n') {
                ++line_;
                pos_ = p + 1;
                field.rejoin();
                return;
            }
            if (c == u';') {
                while (p < text_.size() && text_[p] != u'\n') ++p;
            } else if (c == u'\\' || blank(c)) {
                ++p;
            } else {
                field.append(text_.substr(start, p - start));
                pos_ = p;
                return;
            }
        }
        pos_ = p;  // a join at the end of the text joins nothing
    }

    std::u16string_view text_;
    bool wide_blanks_;
    InfText& out_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
    std::optional<std::size_t> section_;
};

InfText InfText::parse(std::u16string_view text, bool from_utf16) {
    InfText result;
    text = text.substr(0, text.find(control_z));
    // The setup interface reads a NUL as a space: one inside a field stays
    // as a space, one at either end falls away with the other blanks, and
    // none cuts the value short.
    std::u16string spaced;
    if (text.find(u'\0') != std::u16string_view::npos) {
        spaced.assign(text);
        std::replace(spaced.begin(), spaced.end(), u'\0', u' ');
        text = spaced;
    }
    InfParser(text, from_utf16, result).run();
    result.index_strings();
    return result;
}

std::size_t InfText::add_section(std::u16string_view name) {
    auto [entry, added] = section_index_.emplace(fold_inf_name(name), sections_.size());
    if (added) sections_.push_back(InfSection{std::u16string(name), {}});
    return entry->second;
}

void InfText::index_strings() {
    auto found = section_index_.find(u"strings");
    if (found == section_index_.end()) return;
    strings_section_ = found->second;
    const std::vector<InfLine>& lines = sections_[found->second].lines;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].key) strings_.emplace(fold_inf_name(*lines[i].key), i);  // the first of a key wins
}

const InfSection* InfText::find_section(std::u16string_view name) const {
    auto found = section_index_.find(fold_inf_name(name));
    return found == section_index_.end() ? nullptr : &sections_[found->second];
}

std::optional<std::size_t> InfText::find_line(const InfSection& section, std::u16string_view key,
                                              std::size_t from) const {
    for (std::size_t i = from; i < section.lines.size(); ++i) {
        const std::optional<std::u16string>& lineKey = section.lines[i].key;
        if (!lineKey) continue;
        bool plain = lineKey->find(u'%') == std::u16string::npos;
        if (equals_no_case(plain ? *lineKey : substitute(*lineKey), key)) return i;
    }
    return std::nullopt;
}

bool InfText::opens_as_nt_style() const {
    if (status_ != InfParseStatus::ok) return false;
    if (stray_text_line_ != 0 && !strings_section_) return false;
    const InfSection* version = find_section(u"Version");
    if (version == nullptr) return false;
    auto line = std::find_if(version->lines.begin(), version->lines.end(), [](const InfLine& candidate) {
        return candidate.key && equals_no_case(*candidate.key, u"Signature");
    });
    if (line == version->lines.end()) return false;
    const std::u16string& signature = line->fields.front();
    return equals_no_case(signature, u"$Windows NT$") || equals_no_case(signature, u"$Chicago$") ||
           equals_no_case(signature, u"$Windows 95$");
}

std::u16string InfText::substitute(std::u16string_view field) const {
    std::u16string out;
    auto add = [&out](std::u16string_view piece) {
        std::size_t room = max_substituted_length - out.size();
        out.append(piece.substr(0, std::min(room, piece.size())));
    };
    std::size_t start = 0;  // of the text not yet copied, or of the open "%"
    bool inside = false;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != u'%') continue;
        if (!inside) {
            add(field.substr(start, i - start));
            start = i;
            inside = true;
            continue;
        }
        inside = false;
        std::u16string_view name = field.substr(start + 1, i - start - 1);
        auto value = strings_.end();
        if (!name.empty() && strings_section_) value = strings_.find(fold_inf_name(name));
        if (name.empty())
            add(u"%");
        else if (value != strings_.end())
            add(sections_[*strings_section_].lines[value->second].fields.front());
        else
            add(field.substr(start, i - start + 1));
        start = i + 1;
    }
    add(field.substr(start));
    return out;
}

std::u16string decode_inf_bytes(std::string_view bytes, bool utf16) {
    if (!utf16) {
        if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
        return utf8_to_utf16(bytes);
    }
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      (static_cast<unsigned char>(bytes[i + 1]) << 8));
    if (!text.empty() && text.front() == 0xFEFF) text.erase(0, 1);
    return text;
}

std::u16string fold_inf_name(std::u16string_view name) {
    std::u16string folded(name);
    for (char16_t& c : folded) c = fold(c);
    return folded;
}

std::optional<std::uint32_t> inf_number(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
    int base = 10;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    // Ten decimal digits or eight hexadecimal ones hold every 32-bit value.
    if (text.empty() || text.size() > (base == 16 ? 8u : 10u)) return std::nullopt;
    char digits[10];
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] > 0x7F) return std::nullopt;
        digits[i] = static_cast<char>(text[i]);
    }
    std::uint64_t number = 0;
    auto [end, error] = std::from_chars(digits, digits + text.size(), number, base);
    if (error != std::errc() || end != digits + text.size() || number > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<std::uint32_t>(number);
}

}  // namespace platform::inf

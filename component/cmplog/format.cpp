#include "cmplog/format.h"

#include "platform/ascii.h"
#include "platform/unicode.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <iterator>
#include <string_view>

namespace {

// A va_list that the functions below can share and advance: va_list itself may be an
// array type, which does not pass by reference portably.
struct Arguments {
    va_list list;
};

enum class Length { Default, Char, Short, Long, LongLong, Size };

struct Conversion {
    bool left = false;
    bool zero = false;
    bool plus = false;
    bool space = false;
    bool alternate = false;
    int width = 0;
    int precision = -1;  // none given
    Length length = Length::Default;
};

// Widths beyond this are taken as this: a format cannot make the log ask
// for gigabytes.
constexpr int MaxWidth = 1 << 16;

bool IsDigit(char16_t unit) {
    return unit >= u'0' && unit <= u'9';
}

int ReadNumber(const char16_t*& p) {
    const char16_t* start = p;
    while (IsDigit(*p)) ++p;
    return static_cast<int>(platform::leading_decimal(std::u16string_view(start, p - start), MaxWidth));
}

// The flag characters of a conversion and the switch each sets.
constexpr struct {
    char16_t flag;
    bool Conversion::*member;
} Flags[] = {{u'-', &Conversion::left},
             {u'0', &Conversion::zero},
             {u'+', &Conversion::plus},
             {u' ', &Conversion::space},
             {u'#', &Conversion::alternate}};

void ReadFlags(const char16_t*& p, Conversion& c) {
    for (;; ++p) {
        auto flag = std::find_if(std::begin(Flags), std::end(Flags), [p](const auto& f) { return f.flag == *p; });
        if (flag == std::end(Flags)) return;
        c.*(flag->member) = true;
    }
}

void ReadWidthAndPrecision(const char16_t*& p, Conversion& c, Arguments& args) {
    if (*p == u'*') {
        ++p;
        int width = va_arg(args.list, int);
        if (width < 0) {
            c.left = true;
            width = width == INT_MIN ? MaxWidth : -width;
        }
        c.width = width < MaxWidth ? width : MaxWidth;
    } else {
        c.width = ReadNumber(p);
    }
    if (*p != u'.') return;
    ++p;
    if (*p == u'*') {
        ++p;
        int precision = va_arg(args.list, int);
        c.precision = precision < 0 ? -1 : (precision < MaxWidth ? precision : MaxWidth);
    } else {
        c.precision = ReadNumber(p);
    }
}

void ReadLength(const char16_t*& p, Conversion& c) {
    if (*p == u'h') {
        ++p;
        c.length = Length::Short;
        if (*p == u'h') ++p, c.length = Length::Char;
    } else if (*p == u'l') {
        ++p;
        c.length = Length::Long;
        if (*p == u'l') ++p, c.length = Length::LongLong;
    } else if (*p == u'z') {
        ++p;
        c.length = Length::Size;
    }
}

void Pad(std::u16string& out, std::u16string_view body, const Conversion& c) {
    std::size_t width = static_cast<std::size_t>(c.width);
    std::size_t fill = body.size() < width ? width - body.size() : 0;
    if (!c.left) out.append(fill, u' ');
    out += body;
    if (c.left) out.append(fill, u' ');
}

std::uint64_t UnsignedArgument(const Conversion& c, Arguments& args) {
    switch (c.length) {
        case Length::Char:
            return static_cast<unsigned char>(va_arg(args.list, unsigned));
        case Length::Short:
            return static_cast<unsigned short>(va_arg(args.list, unsigned));
        case Length::Long:
            return va_arg(args.list, unsigned long);
        case Length::LongLong:
            return va_arg(args.list, unsigned long long);
        case Length::Size:
            return va_arg(args.list, std::size_t);
        default:
            return va_arg(args.list, unsigned);
    }
}

std::int64_t SignedArgument(const Conversion& c, Arguments& args) {
    switch (c.length) {
        case Length::Char:
            return static_cast<signed char>(va_arg(args.list, int));
        case Length::Short:
            return static_cast<short>(va_arg(args.list, int));
        case Length::Long:
            return va_arg(args.list, long);
        case Length::LongLong:
            return va_arg(args.list, long long);
        case Length::Size:
            return static_cast<std::int64_t>(va_arg(args.list, std::size_t));
        default:
            return va_arg(args.list, int);
    }
}

std::u16string Digits(std::uint64_t value, unsigned base, bool upper) {
    const char* symbols = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(symbols[value % base]));
        value /= base;
    } while (value != 0);
    return digits;
}

void FormatInteger(std::u16string& out, char16_t type, const Conversion& c, Arguments& args) {
    std::u16string prefix;
    std::uint64_t magnitude = 0;
    if (type == u'd' || type == u'i') {
        std::int64_t value = SignedArgument(c, args);
        magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
        if (value < 0)
            prefix = u"-";
        else if (c.plus)
            prefix = u"+";
        else if (c.space)
            prefix = u" ";
    } else {
        magnitude = UnsignedArgument(c, args);
        if (c.alternate && magnitude != 0 && type != u'u') prefix = type == u'X' ? u"0X" : u"0x";
    }
    std::u16string digits = Digits(magnitude, type == u'u' || type == u'd' || type == u'i' ? 10 : 16, type == u'X');
    if (c.precision == 0 && magnitude == 0) digits.clear();
    std::size_t precision = c.precision < 0 ? 0 : static_cast<std::size_t>(c.precision);
    if (digits.size() < precision) digits.insert(0, precision - digits.size(), u'0');
    std::size_t width = static_cast<std::size_t>(c.width);
    if (c.zero && !c.left && c.precision < 0 && prefix.size() + digits.size() < width)
        digits.insert(0, width - prefix.size() - digits.size(), u'0');
    Pad(out, prefix + digits, c);
}

void FormatString(std::u16string& out, const Conversion& c, Arguments& args) {
    const char16_t* text = va_arg(args.list, const char16_t*);
    std::u16string_view value = text != nullptr ? std::u16string_view(text) : std::u16string_view(u"(null)");
    if (c.precision >= 0)
        value = value.substr(0, platform::utf16_cut_length(value, static_cast<std::size_t>(c.precision)));
    Pad(out, value, c);
}

// One conversion after its "%"; false when the conversion is unknown.
bool FormatConversion(std::u16string& out, const char16_t*& p, Arguments& args) {
    Conversion c;
    ReadFlags(p, c);
    ReadWidthAndPrecision(p, c, args);
    ReadLength(p, c);
    char16_t type = *p;
    switch (type) {
        case u'd':
        case u'i':
        case u'u':
        case u'x':
        case u'X':
            FormatInteger(out, type, c, args);
            break;
        case u's':
            FormatString(out, c, args);
            break;
        case u'c': {
            char16_t unit = static_cast<char16_t>(va_arg(args.list, int));
            Pad(out, std::u16string_view(&unit, 1), c);
            break;
        }
        case u'%':
            out += u'%';
            break;
        default:
            return false;
    }
    ++p;
    return true;
}

}  // namespace

std::u16string FormatTextV(const char16_t* format, va_list list) {
    std::u16string out;
    if (format == nullptr) return out;
    Arguments args;
    va_copy(args.list, list);
    for (const char16_t* p = format; *p != u'\0';) {
        if (*p != u'%') {
            out += *p++;
            continue;
        }
        const char16_t* start = p++;
        if (!FormatConversion(out, p, args)) {
            // Copied as written up to the unknown letter; the rest of the
            // format goes on normally.
            out.append(start, p);
        }
    }
    va_end(args.list);
    return out;
}

std::u16string FormatText(const char16_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::u16string text = FormatTextV(format, args);
    va_end(args);
    return text;
}

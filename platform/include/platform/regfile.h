// The registry export text format ("Windows Registry Editor Version 5.00"):
// reading it into keys and values, changing them, and writing it back. Pure
// and portable; the Linux registry (simulated/registry.cpp) keeps the simulated
// machine's registry in one such file, and Windows tests import the same
// files with regedit.
//
// What is understood, line by line after the header line:
//   [HKEY_LOCAL_MACHINE\Path\To\Key]      a key (HKLM, HKCU, HKCR, HKU too)
//   [-HKEY_LOCAL_MACHINE\Path]            deletes the key and all below it
//   "Name"="text"                         a string; \\ and \" are escapes, and
//                                         \n, \r, \0 as Wine's regedit reads
//                                         them; a backslash before anything
//                                         else stays
//   @="text"                              the key's default value
//   "Name"=dword:0000abcd                 a DWORD (1 to 8 hex digits)
//   "Name"=hex:01,02,...                  binary
//   "Name"=hex(7):41,00,00               any type by number, here a
//                                         multi-string (see parse())
//   "Name"=-                              deletes the value
//   ; comment
// Hex data may go on over several lines, each ending with "\". A line that
// is not understood is skipped, and kept as it stands when the file is
// written again, as are comments; a broken key line ("[HKLM\A") starts no
// key, and lines under a key deletion are dropped. A key named twice is one
// key. Key and value names are compared with ASCII letter case ignored.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace platform::regfile {

inline constexpr std::u16string_view header = u"Windows Registry Editor Version 5.00";

// One line of a key as it is kept: a value, or a comment or line that was
// not understood (several physical lines are separated by "\n").
struct Entry {
    bool is_value = false;
    std::u16string name;  // empty: the default value
    RegistryValue value;
    std::u16string text;
};

struct Key {
    std::u16string path;  // the root's long name first: HKEY_LOCAL_MACHINE\...
    std::vector<Entry> entries;
};

// Key and value names compare this way.
bool names_equal(std::u16string_view a, std::u16string_view b);

// The long name of a root, such as "HKEY_LOCAL_MACHINE".
std::u16string_view root_name(RegistryRoot root);
// A key's full path from a root and a path below it.
std::u16string full_path(RegistryRoot root, std::u16string_view path);
// A key path tidied: the short root names spelled out, and empty parts
// ("\\", a leading or trailing "\") dropped.
std::u16string normalize_path(std::u16string_view path);

class Document {
public:
    // False, with the document left empty, when the bytes do not begin with
    // the header line. UTF-8 (with or without a byte-order mark) and UTF-16LE
    // with its byte-order mark are read; writing keeps the encoding read,
    // unless an 8-bit file cannot carry a value (below): it becomes UTF-16LE.
    //
    // As regedit does, the hex data of expandable strings (hex(2)) and
    // multi-strings (hex(7)) is UTF-16LE in a UTF-16 file but 8-bit text in
    // any other: "a" is 61,00 in a UTF-8 file and 61,00,00,00 in a UTF-16
    // one. Both read as the same value.
    bool parse(std::string_view bytes);
    std::string serialize() const;

    const std::vector<Key>& keys() const { return keys_; }
    // Lines that were neither understood nor comments.
    std::size_t skipped_lines() const { return skipped_; }

    const Key* find_key(std::u16string_view path) const;
    // True when the key is named in the document or lies above one that is.
    bool key_exists(std::u16string_view path) const;
    const RegistryValue* find_value(std::u16string_view path, std::u16string_view name) const;

    void create_key(std::u16string_view path);
    // The key and every key below it; false when none existed.
    bool delete_key(std::u16string_view path);
    void set_value(std::u16string_view path, std::u16string_view name, const RegistryValue& value);
    bool delete_value(std::u16string_view path, std::u16string_view name);

private:
    enum class Encoding { utf8, utf8_bom, utf16le };

    Key* find(std::u16string_view path);
    // The position of the key, added at the end when it is new.
    std::size_t key_for(std::u16string_view normalized);
    static void set_entry(Key& key, std::u16string_view name, const RegistryValue& value);
    static bool erase_entry(Key& key, std::u16string_view name);
    // Marks the key and every key below it removed (an empty path) and
    // drops them from the index; compact() then closes the gaps. A file
    // with many deletions is read with one compaction at its end.
    bool remove_keys(std::u16string_view normalized);
    void compact();
    void parse_lines(const std::vector<std::u16string>& lines, std::size_t first);
    bool fits_eight_bits() const;
    static bool is_key_deletion(std::u16string_view line);
    // The index of the key a "[...]" line opens, or nothing when the line is
    // not a key.
    std::optional<std::size_t> section(std::u16string_view line);

    Encoding encoding_ = Encoding::utf8;
    std::vector<std::u16string> preamble_;  // kept lines before the first key
    std::vector<Key> keys_;
    // Folded path -> position in keys_: each key line, value and query finds
    // its key without walking them all, so a file reads in time that grows
    // with its length. Ordered, so that the keys below a path are one range.
    std::map<std::u16string, std::size_t> index_;
    std::size_t skipped_ = 0;
};

}  // namespace platform::regfile

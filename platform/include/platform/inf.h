// INF files of driver packages, opened for reading through the setup
// interface: on Windows SetupAPI itself, on Linux our own reader of the same
// rules (infparse.h).
//
// Lines are addressed by section name and index (from 0, in file order,
// across every part of a section written more than once). Field 0 is the
// key; fields 1 and up are the values. Section names and keys compare
// without regard to case. Field texts come back with %strkey% substituted
// from [Strings].
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One INF file opened for reading; closed on destruction; moved, never
// copied.
class InfFile {
public:
    // Opens a Windows-NT-style INF file ("Signature" in [Version] is
    // "$Windows NT$", "$Chicago$" or "$Windows 95$") by its full path;
    // closes any file opened before. False when it cannot be read or is not
    // such a file.
    bool open(std::u16string_view fullPath);
    bool is_open() const { return state_ != nullptr; }
    void close() { state_.reset(); }
    // The setup interface's handle of the open file (an HINF) on Windows,
    // for the installation services of setupinf.h; null on Linux and when
    // nothing is open.
    void* native_handle() const;

    // Every section name, each once, in the order of the file.
    std::vector<std::u16string> section_names() const;
    // Number of lines of a section; 0 for a section the file lacks.
    std::size_t line_count(std::u16string_view section) const;
    // The first line at or after `from` whose key is `key`.
    std::optional<std::size_t> find_line(std::u16string_view section, std::u16string_view key,
                                         std::size_t from = 0) const;
    // Number of values of a line (the key not counted); 0 for no such line.
    std::size_t field_count(std::u16string_view section, std::size_t line) const;
    // Field `index` of a line, substituted; nothing when the line has no
    // such field (field 0 of a line without key).
    std::optional<std::u16string> field(std::u16string_view section, std::size_t line, std::size_t index) const;

private:
    struct State;
    // Defined beside State, the one place that knows it: with it the
    // compiler's own moves and destructor serve this class.
    struct DeleteState {
        void operator()(State* state) const;
    };
    std::unique_ptr<State, DeleteState> state_;
};

// The full path of a file name taken relative to the current directory, the
// Windows way ("\" separators, "." and ".." resolved); empty when it cannot
// be formed.
std::u16string inf_full_path(std::u16string_view name);

}  // namespace platform

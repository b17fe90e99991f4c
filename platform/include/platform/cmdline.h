// Windows command-line quoting and splitting, as pure functions.
//
// A Windows program receives its arguments as one string and splits it
// itself; the rules below are those of the Microsoft C runtime, which is what
// every program on the product's platform (the adapter tool included) uses.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Splits a command line into arguments:
//   a b            -> [a] [b]
//   "a b" c        -> [a b] [c]
//   a\\b           -> [a\\b]        backslashes are literal unless before "
//   \"a            -> ["a]
//   \\\"a          -> [\"a]
//   "a\\" b        -> [a\] [b]
//   "a""b"         -> [a"b]         a doubled quote inside quotes is one quote
//   ""             -> []            (one empty argument)
std::vector<std::string> split_command_line(std::string_view commandLine);

// Quotes one argument so that split_command_line (and the C runtime of any
// Windows program) gives it back intact as exactly one argument. Always
// quotes, so the caller's command line keeps its shape for ordinary names.
//   abc            -> "abc"
//   a b            -> "a b"
//   a"b            -> "a\"b"
//   a\"b           -> "a\\\"b"
//   a\             -> "a\\"
//   a\b            -> "a\b"
std::string quote_argument(std::string_view argument);

}  // namespace platform

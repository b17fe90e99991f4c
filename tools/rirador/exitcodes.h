// The simulator's exit codes. Callers treat every nonzero code as a failure;
// the distinct values let tests tell the causes apart.
#pragma once

namespace rirador::exitcode {

inline constexpr int Success = 0;
inline constexpr int Unexpected = 1;      // an internal error (out of memory and the like)
inline constexpr int BadCommandLine = 2;
inline constexpr int BadStateFile = 3;
inline constexpr int BadImage = 4;
inline constexpr int NoSuchAdapter = 5;
inline constexpr int BadReport = 6;
inline constexpr int CannotWrite = 7;     // the output report or the rewritten state file

}  // namespace rirador::exitcode

// The discovery report that "-d" writes: root tarn_rom_discovery, every data
// item an element whose text is in its attribute "value", UTF-8, indented.
#pragma once

#include "machine.h"

#include <string>

namespace rirador {

// The format version that the simulator stamps on its reports.
inline constexpr const char* ReportFormatVersion = "1.0";

// The report of every adapter, shaped as the machine's report fault asks:
// a normal report, one cut off inside an element, one with the wrong type
// value, or one under another root element.
std::string renderReport(const Machine& machine);

}  // namespace rirador

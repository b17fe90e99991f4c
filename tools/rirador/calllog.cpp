#include "calllog.h"
#include "fileio.h"

namespace rirador {

std::string callLogLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty()) line += ' ';
        line += '[' + argument + ']';
    }
    return line + '\n';
}

void recordCall(const std::vector<std::string>& arguments) { appendToFile(CallLogFileName, callLogLine(arguments)); }

}  // namespace rirador

// The command lines the simulator accepts. The utility builds them with
// fixed argument counts; anything else is refused rather than guessed at,
// because a file name with blanks arrives split and an empty image name
// arrives as no argument at all.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace rirador {

enum class Operation {
    Discover,  // -flashsupport -d IMAGE OUTFILE
    Update,    // -flashsupport -u IMAGE REPORTFILE
    Flash,     // -flashsupport -i NAME -a IMAGE
};

struct Request {
    Operation operation = Operation::Discover;
    std::string image;
    std::string file;         // the output report (-d) or the report to update from (-u)
    std::string adapterName;  // -i
};

struct ParsedRequest {
    std::optional<Request> request;
    std::string problem;  // why the command line was refused
};

// The arguments after the program name.
ParsedRequest parseRequest(const std::vector<std::string>& arguments);

// The forms, for the message that follows a refused command line.
extern const char* const UsageText;

}  // namespace rirador

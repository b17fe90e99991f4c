// A second writer for the log concurrency test:
//   cmplog_appender DIRECTORY NAME ID COUNT
// writes COUNT lines to the verbose log DIRECTORY + NAME of a CCmpLog, as a
// second run of the plug-in or its host would. Only the verbose log: the
// plain log's place is the system's, which a test cannot choose for a child
// process everywhere.
#include "cmplog/cmplog.h"
#include "platform/arguments.h"
#include "platform/unicode.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> arguments = platform::program_arguments(argc, argv);
    if (arguments.size() != 4) return 2;
    std::u16string directory = platform::utf8_to_utf16(arguments[0]);
    std::u16string name = platform::utf8_to_utf16(arguments[1]);
    std::u16string id = platform::utf8_to_utf16(arguments[2]);
    int count = std::stoi(arguments[3]);

    CCmpLog log(name.c_str(), directory.c_str());
    log.SetVerbose(1);
    if (log.Open() != 0) return 3;
    // Long lines make a torn or interleaved write easy to see.
    const std::u16string filler(150, u'x');
    for (int i = 0; i < count; ++i)
        log.Write(CmpLogVerboseLevel, CmpLogInformation, nullptr, 0, u"appender %s line %d %s end\r\n", id.c_str(), i,
                  filler.c_str());
    return log.Close() == 0 ? 0 : 4;
}

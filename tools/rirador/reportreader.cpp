#include "reportreader.h"
#include "fileio.h"

#include "platform/ascii.h"

#include <expat.h>

#include <climits>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <type_traits>

namespace rirador {

namespace {

struct ParserFree {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};
using ParserHandle = std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserFree>;

// The "value" attribute, its name taken in any letter case as the utility
// takes it; empty when absent.
std::string_view valueAttribute(const XML_Char** attributes) {
    for (int i = 0; attributes[i] != nullptr; i += 2)
        if (platform::equals_ignoring_case(attributes[i], "value")) return attributes[i + 1];
    return {};
}

// Follows the element path; only root/type and root/devices/device/device_id
// matter for an update.
struct ReportWalk {
    std::vector<std::string> path;
    ReportedAdapters result;
    bool wrongRoot = false;
    bool wrongType = false;

    bool at(std::initializer_list<std::string_view> expected) const {
        if (path.size() != expected.size()) return false;
        std::size_t i = 0;
        for (std::string_view name : expected)
            if (path[i++] != name) return false;
        return true;
    }

    void start(const XML_Char* name, const XML_Char** attributes) {
        path.emplace_back(name);
        if (path.size() == 1 && path[0] != "tarn_rom_discovery") wrongRoot = true;
        if (at({"tarn_rom_discovery", "type"}) && valueAttribute(attributes) != "DIRAVI_NIC") wrongType = true;
        if (at({"tarn_rom_discovery", "devices", "device", "device_id"}))
            result.deviceIds.emplace_back(trimBlanks(valueAttribute(attributes)));
    }
};

void XMLCALL onStart(void* walk, const XML_Char* name, const XML_Char** attributes) {
    static_cast<ReportWalk*>(walk)->start(name, attributes);
}

void XMLCALL onEnd(void* walk, const XML_Char*) { static_cast<ReportWalk*>(walk)->path.pop_back(); }

}  // namespace

ReportedAdapters parseReportedAdapters(const std::string& reportText) {
    ReportWalk walk;
    ParserHandle parser(XML_ParserCreate(nullptr));
    if (!parser || reportText.size() > static_cast<std::size_t>(INT_MAX)) {
        walk.result.problem = "cannot be parsed";
        return walk.result;
    }
    XML_SetUserData(parser.get(), &walk);
    XML_SetElementHandler(parser.get(), onStart, onEnd);
    if (XML_Parse(parser.get(), reportText.data(), static_cast<int>(reportText.size()), XML_TRUE) != XML_STATUS_OK) {
        walk.result.problem = "is not well-formed XML (line " +
                              std::to_string(XML_GetCurrentLineNumber(parser.get())) + ": " +
                              XML_ErrorString(XML_GetErrorCode(parser.get())) + ")";
        walk.result.deviceIds.clear();
        return walk.result;
    }
    if (walk.wrongRoot || walk.wrongType) {
        walk.result.problem = walk.wrongRoot ? "is not a discovery report (its root is not tarn_rom_discovery)"
                                             : "is not an adapter discovery report (its type is not DIRAVI_NIC)";
        walk.result.deviceIds.clear();
        return walk.result;
    }
    walk.result.readable = true;
    return walk.result;
}

ReportedAdapters readReportedAdapters(const std::string& fileName) {
    std::optional<std::string> text = readWholeFile(fileName);
    if (!text) return {false, "cannot be read", {}};
    return parseReportedAdapters(*text);
}

}  // namespace rirador

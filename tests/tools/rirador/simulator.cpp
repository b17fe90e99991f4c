#include "simulator.h"

#include <expat.h>
#include <gtest/gtest.h>

#include <memory>

namespace rirador_test {

namespace {

struct ReportWalk {
    Report report;
    std::vector<std::string> path;  // below the root

    std::string joinedPath(std::size_t from) const {
        std::string joined;
        for (std::size_t i = from; i < path.size(); ++i) joined += (joined.empty() ? "" : "/") + path[i];
        return joined;
    }

    void start(const char* name, const char** attributes) {
        if (report.root.empty()) {
            report.root = name;
            for (int i = 0; attributes[i]; i += 2)
                if (std::string(attributes[i]) == "version") report.rootVersion = attributes[i + 1];
            return;
        }
        path.emplace_back(name);
        if (path.size() == 2 && path[0] == "devices" && path[1] == "device") report.devices.emplace_back();
        for (int i = 0; attributes[i]; i += 2) {
            if (std::string(attributes[i]) != "value") continue;
            bool belowDevice = path.size() > 2 && path[1] == "device";
            auto& items = belowDevice ? report.devices.back().items : report.header;
            items.push_back({joinedPath(belowDevice ? 2 : 0), attributes[i + 1]});
        }
    }
};

void XMLCALL onStart(void* walk, const char* name, const char** attributes) {
    static_cast<ReportWalk*>(walk)->start(name, attributes);
}
void XMLCALL onEnd(void* walk, const char*) {
    auto* state = static_cast<ReportWalk*>(walk);
    if (!state->path.empty()) state->path.pop_back();
}
void XMLCALL onText(void* walk, const char* text, int length) {
    if (std::string(text, length).find_first_not_of(" \t\r\n") != std::string::npos)
        static_cast<ReportWalk*>(walk)->report.hasTextContent = true;
}

}  // namespace

std::string Device::operator[](const std::string& path) const {
    for (const Item& item : items)
        if (item.path == path) return item.value;
    ADD_FAILURE() << "the report's device has no " << path;
    return {};
}

Report parseReport(const std::string& xml) {
    ReportWalk walk;
    std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(XML_ParserCreate(nullptr), XML_ParserFree);
    XML_SetUserData(parser.get(), &walk);
    XML_SetElementHandler(parser.get(), onStart, onEnd);
    XML_SetCharacterDataHandler(parser.get(), onText);
    walk.report.wellFormed =
        XML_Parse(parser.get(), xml.data(), static_cast<int>(xml.size()), XML_TRUE) == XML_STATUS_OK;
    return walk.report;
}

void Simulator::writeImage(const std::string& version, const std::string& name) const {
    testsupport::writeFile(dir / name, "# simulated image\nversion = " + version + "\n");
}

testsupport::RunResult Simulator::run(const std::vector<std::string>& arguments) const {
    testsupport::RunResult result =
        testsupport::runProgram(testsupport::builtProgram("rirador"), arguments, dir.path());
    EXPECT_TRUE(result.started);
    return result;
}

Report Simulator::discover() const {
    testsupport::RunResult result = run({"-flashsupport", "-d", "fw.img", "report.xml"});
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    return parseReport(testsupport::readFile(dir / "report.xml"));
}

std::vector<std::string> Simulator::calls() const {
    return testsupport::splitLines(testsupport::readFile(dir / "rirador.calls"));
}

}  // namespace rirador_test

// Runs the real adapter simulator in a fresh directory and reads back what
// it wrote: the discovery report (parsed with expat, independently of the
// utility's own XML code), the state file and the call log.
#pragma once

#include "testsupport/testsupport.h"

#include <filesystem>
#include <string>
#include <vector>

namespace rirador_test {

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::writeFile;

// One data element of the report: its path below the device (or the root),
// such as "fw_item/type" or "ports/port/port_id", and its value attribute.
struct Item {
    std::string path;
    std::string value;
};

struct Device {
    std::vector<Item> items;  // in document order
    std::string operator[](const std::string& path) const;  // first item of that path
};

struct Report {
    bool wellFormed = false;
    bool hasTextContent = false;  // data lives in attributes only
    std::string root;
    std::string rootVersion;
    std::vector<Item> header;  // the root's data elements before and after devices
    std::vector<Device> devices;
};

Report parseReport(const std::string& xml);

class Simulator {
public:
    testsupport::TempDir dir{"rirador"};

    void writeState(const std::string& text) const { testsupport::writeFile(dir / "rirador.state", text); }
    std::string state() const { return testsupport::readFile(dir / "rirador.state"); }
    void writeImage(const std::string& version, const std::string& name = "fw.img") const;
    testsupport::RunResult run(const std::vector<std::string>& arguments) const;
    // "-d" into report.xml; the run must succeed.
    Report discover() const;
    std::vector<std::string> calls() const;
};

}  // namespace rirador_test

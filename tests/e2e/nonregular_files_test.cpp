// Names that the utility reads, taken by something that is not a regular
// file: a directory, a FIFO, an endless device. Each must read as a file
// that cannot be opened, at once, whatever a hostile machine puts there.
#include "kelvor_package.h"

#include "platform/files.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace {

namespace fs = std::filesystem;

using e2e::adapter;
using e2e::hasLine;
using e2e::KelvorPackage;
using e2e::KelvorRun;
using e2e::model;

// Whether this is the POSIX build, where FIFOs and /dev exist.
bool onPosix() {
    return platform::native_path("C:\\x") != "C:\\x";
}

enum class Place {
    Catalog,       // NICFWData.xml itself
    Report,        // the tool's tempP3PNicList.xml
    CannedReport,  // the file that the simulator copies as its report
};
enum class Kind { Directory, Fifo, DevZero, DevUrandom };

struct SpecialCase {
    Place place;
    Kind kind;
};

void PrintTo(const SpecialCase& c, std::ostream* out) {
    constexpr const char* places[] = {"catalog", "report", "canned report"};
    constexpr const char* kinds[] = {"directory", "FIFO", "/dev/zero", "/dev/urandom"};
    *out << kinds[static_cast<int>(c.kind)] << " as the " << places[static_cast<int>(c.place)];
}

class SpecialFiles : public testing::TestWithParam<SpecialCase> {
protected:
    // Puts the special file at `name`; false when this platform has none.
    bool place(const std::string& name, Kind kind) {
        fs::path path = package / name;
        fs::remove(path);
        switch (kind) {
            case Kind::Directory:
                return fs::create_directory(path);
            case Kind::Fifo:
                return onPosix() &&
                       testsupport::runProgram("/usr/bin/mkfifo", {path.string()}, package.dir()).exitCode == 0;
            case Kind::DevZero:
            case Kind::DevUrandom:
                if (!onPosix()) return false;
                fs::create_symlink(kind == Kind::DevZero ? "/dev/zero" : "/dev/urandom", path);
                return true;
        }
        return false;
    }

    // The fault lines that make the simulator leave the special file in
    // place of its report.
    std::vector<std::string> reportFaults(Kind kind) {
        switch (kind) {
            case Kind::Directory:
                return {"report = directory"};
            case Kind::Fifo:
                place("special.fifo", kind);
                return {"report_link = special.fifo"};
            case Kind::DevZero:
                return {"report_link = /dev/zero"};
            case Kind::DevUrandom:
                return {"report_link = /dev/urandom"};
        }
        return {};
    }

    KelvorPackage package;
};

TEST_P(SpecialFiles, ReadAsAFileThatCannotBeOpened) {
    const SpecialCase& c = GetParam();
    std::vector<std::string> faults;
    if (c.place == Place::Report) faults = reportFaults(c.kind);
    if (c.place == Place::CannedReport) faults = {"report_file = canned.xml"};
    package.setUp({{model("2210")}}, {adapter("NIC1", "2210", "4.0.534")}, faults);
    if (c.place == Place::Catalog) {
        ASSERT_TRUE(place("NICFWData.xml", c.kind));
    }
    if (c.place == Place::CannedReport) {
        ASSERT_TRUE(place("canned.xml", c.kind));
    }

    KelvorRun run = package.run({"-n"});
    // Without a catalog no image name reaches the tool, which refuses to run;
    // without a readable report the tool gave no answer. Either way discovery
    // failed.
    EXPECT_EQ(run.exitCode, 7u) << run.out;
    EXPECT_TRUE(hasLine(run.out, "Adapter discovery failed. No firmware was checked or updated. See zizador.log "
                                 "for details."))
        << run.out;
    switch (c.place) {
        case Place::Catalog:
            EXPECT_TRUE(hasLine(run.log, "Loading configuration file NICFWData.xml Error code: 10")) << run.log;
            EXPECT_TRUE(hasLine(run.log, "File Not found!- Please make sure NICFWData.xml is available."));
            break;
        case Place::Report:
            EXPECT_TRUE(hasLine(run.log, "Loading configuration file tempP3PNicList.xmlFailed!. Error code: 10"))
                << run.log;
            break;
        case Place::CannedReport:
            // The simulator, too, refuses to read it.
            EXPECT_TRUE(hasLine(run.log,
                                "Could not generate hardware discovery details. Diravi P3P device discovery "
                                "failed!7"))
                << run.log;
            break;
    }
    EXPECT_FALSE(hasLine(run.out, "An unexpected error has occurred.  Firmware update will not be completed."));
}

// Windows has neither FIFOs nor /dev: only the directory rows run there.
std::vector<SpecialCase> specialCases() {
    std::vector<SpecialCase> cases;
    for (Place where : {Place::Catalog, Place::Report, Place::CannedReport})
        for (Kind kind : {Kind::Directory, Kind::Fifo, Kind::DevZero, Kind::DevUrandom})
            if ((kind != Kind::DevUrandom || where == Place::Report) && (kind == Kind::Directory || onPosix()))
                cases.push_back({where, kind});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Table, SpecialFiles, testing::ValuesIn(specialCases()));

// A catalog whose entry element carries a large text folded around many
// comments (900 KB of "t<!--c-->") reads in linear time and memory: -n gives
// its status rather than running out of memory.
TEST(FoldedCatalog, StillGivesTheStatus) {
    KelvorPackage package;
    package.setUp({}, {adapter("NIC1", "2210", "4.0.534")});
    std::string folded;
    for (int i = 0; i < 100000; ++i) folded += "t<!--c-->";
    package.write("NICFWData.xml",
                  "<nic_fw_package version=\"1.0\"><nic><nic name=\"KX-2210\" venid=\"1E5A\" "
                  "devid=\"0A10\" subvenid=\"1F3C\" subdevid=\"2210\" rom=\"4.0.550\" "
                  "fwFile=\"fw.img\">" +
                      folded + "</nic></nic></nic_fw_package>");
    KelvorRun run = package.run({"-n"});
    EXPECT_EQ(run.exitCode, 4u) << run.out;
    EXPECT_TRUE(hasLine(run.out, "NIC firmware update is recommended.")) << run.out;
}

}  // namespace

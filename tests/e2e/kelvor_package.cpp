#include "kelvor_package.h"

#include "platform/files.h"
#include "platform/system.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace e2e {

namespace {

std::string attribute(const char* name, const std::string& value) { return std::string(" ") + name + "=\"" + value + "\""; }

// Whether Windows paths are mapped onto this file system (Linux), where each
// package may have its own system drive.
bool drivesAreMapped() { return platform::native_path("C:\\x") != "C:\\x"; }

std::vector<std::string> linesAfter(const std::string& text, std::size_t lineCount) {
    std::vector<std::string> lines = testsupport::splitLines(text);
    if (lineCount >= lines.size()) return {};
    return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(lineCount), lines.end());
}

}  // namespace

fs::path logDirectory() {
    std::string windows = platform::windows_directory();
    return fs::path(platform::native_path(std::string(1, windows[0]) + ":\\ykzsystem\\log"));
}

std::string tail(const fs::path& file, std::uintmax_t from) {
    std::string whole = testsupport::readFile(file);
    return whole.size() > from ? testsupport::normalizeLineEnds(whole.substr(from)) : std::string();
}

std::string catalogXml(const std::vector<std::vector<Model>>& groups) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<nic_fw_package version=\"1.0\">\n";
    for (const std::vector<Model>& group : groups) {
        xml += "  <nic>\n";
        for (const Model& m : group)
            xml += "    <nic" + attribute("name", m.name) + attribute("venid", m.venid) + attribute("devid", m.devid) +
                   attribute("subvenid", m.subvenid) + attribute("subdevid", m.subdevid) + attribute("rom", m.rom) +
                   attribute("fwFile", m.fwFile) + "/>\n";
        xml += "  </nic>\n";
    }
    return xml + "</nic_fw_package>\n";
}

std::string stateFile(const std::vector<Adapter>& adapters, const std::vector<std::string>& faults) {
    std::string text = "# simulated machine written by the test\n";
    for (const Adapter& a : adapters) {
        text += "[adapter]\ndevice_id = " + a.deviceId + "\nvenid = " + a.venid + "\ndevid = " + a.devid +
                "\nsubvenid = " + a.subvenid + "\nsubdevid = " + a.subdevid + "\nfirmware = " + a.firmware +
                "\nmac = " + a.mac + "\nproduct = " + a.product + "\nbus = " + a.bus + "\n";
        for (const std::string& port : a.ports) text += "port = " + port + "\n";
        for (const std::string& line : a.extra) text += line + "\n";
    }
    if (!faults.empty()) {
        text += "[faults]\n";
        for (const std::string& line : faults) text += line + "\n";
    }
    return text;
}

KelvorPackage::KelvorPackage() {
    fs::path simulator = testsupport::builtProgram("rirador");
    fs::copy_file(simulator, dir_ / simulator.filename().string());
    if (drivesAreMapped()) {
        fs::create_directory(dir_ / "systemdrive");
        platform::set_environment_variable("SystemDrive", (dir_ / "systemdrive").string());
    }
}

void KelvorPackage::write(const std::string& name, const std::string& content) const {
    testsupport::writeFile(dir_ / name, content);
}

std::string KelvorPackage::read(const std::string& name) const { return testsupport::readFile(dir_ / name); }

bool KelvorPackage::exists(const std::string& name) const { return fs::exists(dir_ / name); }

void KelvorPackage::remove(const std::string& name) const { fs::remove(dir_ / name); }

void KelvorPackage::stageDemoPackage() const {
    for (const auto& entry : fs::directory_iterator(testsupport::stagedPackageDirectory()))
        fs::copy(entry.path(), dir_.path() / entry.path().filename(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    platform::set_environment_variable("YKZ_MACHINE", (dir_.path() / "machine").string());
}

void KelvorPackage::setUp(const std::vector<std::vector<Model>>& catalog, const std::vector<Adapter>& adapters,
                          const std::vector<std::string>& faults) {
    write("NICFWData.xml", catalogXml(catalog));
    write("fw.img", "# simulated firmware image\nversion = 4.0.550\n");
    write("rirador.state", stateFile(adapters, faults));
}

fs::path KelvorPackage::logFile() const { return logDirectory() / "zizador.log"; }

KelvorRun KelvorPackage::run(const std::vector<std::string>& arguments, const std::string& input) const {
    // Under Wine every run shares one log: read back only what this run added.
    fs::path log = logFile();
    std::uintmax_t logSizeBefore = testsupport::fileSize(log);
    std::size_t callsBefore = testsupport::splitLines(testsupport::readText(dir_ / "rirador.calls")).size();

    testsupport::RunResult result =
        testsupport::runProgram(testsupport::builtProgram("Kelvor"), arguments, dir_.path(), input);

    EXPECT_TRUE(result.started) << "Kelvor could not be started in " << dir_.path();
    KelvorRun run;
    run.started = result.started;
    run.exitCode = result.exitCode;
    run.out = result.out;
    run.log = tail(log, logSizeBefore);
    run.calls = linesAfter(testsupport::readText(dir_ / "rirador.calls"), callsBefore);
    return run;
}

HostRun KelvorPackage::runHost(const std::string& arguments, const std::string& input) const {
    fs::path setup = logDirectory() / "ykzsetup.log";
    std::uintmax_t setupBefore = testsupport::fileSize(setup);
    std::uintmax_t utilityBefore = testsupport::fileSize(logFile());
    std::size_t callsBefore = testsupport::splitLines(testsupport::readText(dir_ / "rirador.calls")).size();
    testsupport::RunResult result = testsupport::runCommandLine(
        dir_ / testsupport::builtProgram("Zorvane").filename().string(), arguments, dir_.path(), input);
    EXPECT_TRUE(result.started) << "Zorvane could not be started in " << dir_.path();
    HostRun host;
    host.exitCode = result.exitCode;
    host.out = result.out + result.err;
    host.setupLog = tail(setup, setupBefore);
    host.utilityLog = tail(logFile(), utilityBefore);
    host.calls = linesAfter(testsupport::readText(dir_ / "rirador.calls"), callsBefore);
    return host;
}

bool hasLine(const std::string& text, const std::string& line) {
    for (const std::string& candidate : testsupport::splitLines(text))
        if (candidate == line) return true;
    return false;
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

Model model(const std::string& subdevid, const std::string& rom) {
    return Model{"KX-" + subdevid, "1E5A", "0A10", "1F3C", subdevid, rom, "fw.img"};
}

Adapter adapter(const std::string& deviceId, const std::string& subdevid, const std::string& firmware) {
    Adapter a;
    a.deviceId = deviceId;
    a.venid = "1E5A";
    a.devid = "0A10";
    a.subvenid = "1F3C";
    a.subdevid = subdevid;
    a.firmware = firmware;
    a.product = "Tarn KX-" + subdevid + " Dual Port 10GbE";
    return a;
}

}  // namespace e2e

#include "machine.h"

#include <cstdio>
#include <numeric>
#include <stdexcept>

namespace utilitybench {

namespace {

// Models per grouping element of the catalog, as a vendor groups a family.
constexpr std::size_t ModelsPerFamily = 1000;

struct Version {
    unsigned major, minor, build;
    std::string text() const {
        return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build);
    }
};

// The versions the package carries, one per model in turn. The utility reads
// a one-digit major number, so every major here has one digit; builds leave
// room for the older and newer variants below.
const Version PackageVersions[] = {{4, 0, 550}, {4, 1, 212}, {3, 9, 870}, {4, 2, 105}};

enum class Installed { Older, Same, Newer };

// Most machines run the package's version already, some lag behind, a few
// run a later one. The variants differ from the package version so that they
// class the same way whether versions compare field by field or in order.
Installed installedClass(std::size_t adapter) {
    std::size_t slot = adapter % 10;
    if (slot < 3) return Installed::Older;
    if (slot < 8) return Installed::Same;
    return Installed::Newer;
}

Version installedVersion(const Version& package, Installed kind) {
    switch (kind) {
        case Installed::Older:
            return {package.major, package.minor, package.build - 16};
        case Installed::Newer:
            return {package.major, package.minor + 1, package.build + 7};
        case Installed::Same:
            break;
    }
    return package;
}

std::string hex4(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFFu);
    return text;
}

std::string hex2(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
    return text;
}

struct Identity {
    std::string venid, devid, subvenid, subdevid;
};

// Every model has its own identity: the device id names the family, the
// sub-device id the model within it; two board makers share the families.
Identity modelIdentity(std::size_t model) {
    auto family = static_cast<unsigned>(model / ModelsPerFamily);
    auto member = static_cast<unsigned>(model % ModelsPerFamily);
    return {"1E5A", hex4(0x0A10 + family), model % 2 == 0 ? "1F3C" : "1F3D", hex4(0x2000 + member)};
}

const Version& packageVersion(std::size_t model) {
    return PackageVersions[model % (sizeof PackageVersions / sizeof PackageVersions[0])];
}

std::string modelName(const Identity& id) {
    return "Tarn KX-" + id.devid + "-" + id.subdevid + " 10GbE";
}

std::string catalogXml(std::size_t models) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<nic_fw_package version=\"1.0\">\n";
    for (std::size_t model = 0; model < models; ++model) {
        if (model % ModelsPerFamily == 0)
            xml += "  <nic name=\"Tarn KX-Series family " + std::to_string(model / ModelsPerFamily) + "\">\n";
        Identity id = modelIdentity(model);
        xml += "    <nic name=\"" + modelName(id) + "\" venid=\"" + id.venid + "\" devid=\"" + id.devid +
               "\" subvenid=\"" + id.subvenid + "\" subdevid=\"" + id.subdevid + "\" rom=\"" +
               packageVersion(model).text() + "\" fwFile=\"" + ImageFileName + "\"/>\n";
        if (model % ModelsPerFamily == ModelsPerFamily - 1 || model + 1 == models) xml += "  </nic>\n";
    }
    return xml + "</nic_fw_package>\n";
}

// A stride through the catalog that visits every model once, so adapters are
// spread over all families instead of packed at its start.
std::size_t modelStride(std::size_t models) {
    std::size_t stride = 7919;
    while (std::gcd(stride, models) != 1) ++stride;
    return stride;
}

struct AdapterText {
    std::string text;
    std::size_t ports;
};

AdapterText adapterState(std::size_t adapter, std::size_t model, Installed kind) {
    Identity id = modelIdentity(model);
    auto bus = static_cast<unsigned>(1 + adapter / 32);
    auto device = static_cast<unsigned>(adapter % 32);
    std::string location = hex2(bus) + "-" + hex2(device);
    std::string deviceId = "P3P-" + location + "-00";
    std::string product = modelName(id);
    std::string mac = "02-1E-5A-" + location + "-00";
    std::size_t ports = adapter % 5 < 3 ? 2 : 1;

    std::string text = "[adapter]\ndevice_id = " + deviceId + "\nvenid = " + id.venid + "\ndevid = " + id.devid +
                       "\nsubvenid = " + id.subvenid + "\nsubdevid = " + id.subdevid + "\nmac = " + mac +
                       "\nproduct = " + product + "\nbus = " + std::to_string(bus) +
                       "\ndevice = " + std::to_string(device) +
                       "\nfunction = 0\nslot = " + std::to_string(adapter + 1) +
                       "\nfirmware = " + installedVersion(packageVersion(model), kind).text() + "\n";
    text += "port = " + deviceId + " | " + mac + " | " + product + " | 0\n";
    if (ports == 2) text += "port = P3P-" + location + "-01 | 02-1E-5A-" + location + "-01 | " + product + " #2 | 1\n";
    return {text + "\n", ports};
}

}  // namespace

Machine buildMachine(std::size_t adapters, std::size_t models) {
    if (adapters > models) throw std::invalid_argument("every adapter needs a model of its own");
    Machine machine;
    machine.catalog = catalogXml(models);
    machine.image = std::string("# simulated firmware image\nversion = ") + PackageVersions[0].text() + "\n";
    machine.state = "# simulated machine of " + std::to_string(adapters) + " adapters\n";
    machine.adapters = adapters;

    std::size_t stride = modelStride(models);
    for (std::size_t adapter = 0; adapter < adapters; ++adapter) {
        Installed kind = installedClass(adapter);
        AdapterText written = adapterState(adapter, adapter * stride % models, kind);
        machine.state += written.text;
        machine.ports += written.ports;
        if (kind == Installed::Older) ++machine.older;
        if (kind == Installed::Same) ++machine.same;
        if (kind == Installed::Newer) ++machine.newer;
    }
    return machine;
}

std::uint32_t expectedStatusExitCode(const Machine& machine) {
    if (machine.older > 0) return 4;
    if (machine.newer > 0) return 6;
    return 5;
}

}  // namespace utilitybench

#include "report.h"
#include "catalog.h"
#include "log.h"
#include "runstate.h"
#include "textfields.h"
#include "xmlvalues.h"

#include "xml/dom.h"

#include <cctype>
#include <limits>

namespace kelvor {

namespace {

constexpr const char* ReportRoot = "tarn_rom_discovery";
constexpr const char* ReportType = "DIRAVI_NIC";

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string valueOf(const dom::DomNode& node) { return attributeOrBlank(node, "value"); }

// One read of one report file. Each device starts from a fresh record, so a
// device that lacks an item never inherits the previous device's value.
class ReportReader {
public:
    explicit ReportReader(std::string fileName) : fileName_(std::move(fileName)) {}
    int read();

private:
    enum class Flow { Continue, Stop };

    Flow readDevices(const dom::DomNode& devices);
    Flow readDevice(const dom::DomNode& device);
    Flow readFirmwareItem(const dom::DomNode& item, AdapterRecord& adapter);
    void readPorts(const dom::DomNode& ports, AdapterRecord& adapter);
    void readPort(const dom::DomNode& port, AdapterRecord& adapter);
    std::uint32_t readIdentity(const dom::DomNode& node, const char* warning);
    void matchCatalog(AdapterRecord& adapter);
    void writeVersionReport();

    std::string fileName_;
    int result_ = 1;
    std::string takesEffect_;
    std::string lastInstalledText_;
    std::string lastHitRom_;
    LogLine log_;
};

int ReportReader::read() {
    dom::DomParseResult parse;
    dom::DomNode root = dom::parse_file(fileName_.c_str(), ReportRoot, &parse);
    if (parse.error != dom::DomError::None) {
        log_ << "Loading configuration file " << fileName_ << "Failed!. Error code: " << static_cast<int>(parse.error)
             << "\n";
        log_.emit(false);
        return 1;
    }
    for (int i = 0; i < root.child_count(); ++i) {
        dom::DomNode child = root.child_at(i);
        if (hasName(child, "type")) {
            if (valueOf(child) != ReportType) {
                log_ << "Not an expected file (" << fileName_ << "). Expecting type value as 'DIRAVI_NIC'";
                log_.emit(false);
                return result_;
            }
        } else if (hasName(child, "takes_effect")) {
            takesEffect_ = valueOf(child);
        } else if (hasName(child, "devices")) {
            if (readDevices(child) == Flow::Stop) return result_;
        }
    }
    if (runState().has(flag::VersionReport)) writeVersionReport();
    return result_;
}

ReportReader::Flow ReportReader::readDevices(const dom::DomNode& devices) {
    for (int i = 0; i < devices.child_count(); ++i) {
        dom::DomNode device = devices.child_at(i);
        if (hasName(device, "device") && readDevice(device) == Flow::Stop) return Flow::Stop;
    }
    return Flow::Continue;
}

ReportReader::Flow ReportReader::readDevice(const dom::DomNode& device) {
    AdapterRecord adapter;
    std::int32_t bus = 0, deviceNumber = 0, function = 0;
    auto readLocationPart = [](const dom::DomNode& node, std::int32_t& part) {
        std::string value = valueOf(node);
        if (!value.empty()) part = decimalValue(value);
    };

    for (int i = 0; i < device.child_count(); ++i) {
        dom::DomNode item = device.child_at(i);
        if (hasName(item, "device_id"))
            adapter.name = trimmed(valueOf(item));
        else if (hasName(item, "venid"))
            adapter.venid = readIdentity(item, "Warning!!! - Invalid/Corrupted vendor Id (XML tag: venid) value.");
        else if (hasName(item, "devid"))
            adapter.devid = readIdentity(item, "Warning!!! - Invalid/Corrupted device Id (XML tag: devid) value.");
        else if (hasName(item, "subvenid"))
            adapter.subvenid =
                readIdentity(item, "Warning!!! - Invalid/Corrupted sub-vendor Id (XML tag: subvenid) value.");
        else if (hasName(item, "subdevid"))
            adapter.subdevid =
                readIdentity(item, "Warning!!! - Invalid/Corrupted sub-device Id (XML tag: subdevid) value");
        else if (hasName(item, "macaddress"))
            adapter.macAddress = valueOf(item);
        else if (hasName(item, "product_id"))
            adapter.productId = valueOf(item);
        else if (hasName(item, "busnumber"))
            readLocationPart(item, bus);
        else if (hasName(item, "devicenumber"))
            readLocationPart(item, deviceNumber);
        else if (hasName(item, "funcnumber"))
            readLocationPart(item, function);
        else if (hasName(item, "fw_item")) {
            if (readFirmwareItem(item, adapter) == Flow::Stop) return Flow::Stop;
        } else if (hasName(item, "ports"))
            readPorts(item, adapter);
    }
    adapter.location = std::to_string(bus) + ":" + std::to_string(deviceNumber) + ":" + std::to_string(function);
    adapter.pciKey = pciKey(adapter.venid, adapter.devid, adapter.subvenid, adapter.subdevid);
    matchCatalog(adapter);
    return Flow::Continue;
}

ReportReader::Flow ReportReader::readFirmwareItem(const dom::DomNode& item, AdapterRecord& adapter) {
    for (int i = 0; i < item.child_count(); ++i) {
        dom::DomNode field = item.child_at(i);
        if (hasName(field, "type")) {
            std::string type = valueOf(field);
            if (type != "ROM") {
                log_ << "Warning!!! - firmware type is not expected!. Expected type is ROM, current value is "
                     << type;
                log_.emit(false);
                return Flow::Stop;
            }
        } else if (hasName(field, "firmware_id")) {
            adapter.firmwareId = valueOf(field);
            adapter.installedText = adapter.firmwareId;
            if (!adapter.firmwareId.empty()) {
                adapter.installed = parseVersion(adapter.firmwareId);
                lastInstalledText_ = adapter.installedText;
            }
        } else if (hasName(field, "version")) {
            adapter.versionText = valueOf(field);
        } else if (hasName(field, "action")) {
            adapter.action = trimmed(valueOf(field));
        } else if (hasName(field, "shared")) {
            adapter.shared = valueOf(field) != "NO";
        } else if (hasName(field, "duration")) {
            adapter.duration = decimalValue(valueOf(field));
        } else if (hasName(field, "message")) {
            adapter.message = hasAttributeValue(field, "value") ? valueOf(field) : std::string();
        }
    }
    return Flow::Continue;
}

void ReportReader::readPorts(const dom::DomNode& ports, AdapterRecord& adapter) {
    adapter.portCount = ports.child_count();
    for (int i = 0; i < ports.child_count(); ++i) {
        dom::DomNode port = ports.child_at(i);
        if (hasName(port, "port")) readPort(port, adapter);
    }
}

// The first child element of exactly that name, or the empty node.
dom::DomNode firstChildNamed(const dom::DomNode& node, const char* name) {
    for (int i = 0; i < node.child_count(); ++i)
        if (hasName(node.child_at(i), name)) return node.child_at(i);
    return {};
}

// A port whose identifier equals the adapter's current name designates it:
// the adapter takes that port's MAC address and product name.
void ReportReader::readPort(const dom::DomNode& port, AdapterRecord& adapter) {
    PortRecord record;
    for (int i = 0; i < port.child_count(); ++i) {
        dom::DomNode field = port.child_at(i);
        if (hasName(field, "port_id")) {
            record.portId = valueOf(field);
        } else if (hasName(field, "product_id")) {
            record.productId = valueOf(field);
        } else if (hasName(field, "funcnumber")) {
            record.funcNumber = decimalValue(valueOf(field));
        } else if (hasName(field, "macaddress")) {
            record.macAddress = valueOf(field);
            dom::DomNode portId = firstChildNamed(port, "port_id");
            if (!portId.empty() && valueOf(portId) == adapter.name) {
                adapter.macAddress = record.macAddress;
                adapter.name = valueOf(firstChildNamed(port, "product_id"));
            }
        }
    }
    adapter.ports.push_back(std::move(record));
}

std::uint32_t ReportReader::readIdentity(const dom::DomNode& node, const char* warning) {
    std::optional<std::uint32_t> identity;
    if (hasAttributeValue(node, "value")) identity = parseIdentity(valueOf(node));
    if (identity) return *identity;
    log_ << warning;
    log_.emit(false);
    return 0;
}

void ReportReader::matchCatalog(AdapterRecord& adapter) {
    CatalogEntry entry;
    if (!lookupCatalog(adapter.pciKey, &entry)) return;
    RunState& state = runState();
    adapter.flags |= AdapterInCatalog;
    adapter.available = entry.romVersion;
    lastHitRom_ = entry.rom;
    state.adapters.push_back(adapter);
    ++state.supportedCount;
    result_ = 0;
}

void ReportReader::writeVersionReport() {
    dom::DomNode root = dom::create_root(ReportRoot);
    root.add_attribute("version", programVersion().c_str());
    auto addValue = [&root](const char* element, const std::string& value) {
        dom::DomNode child = dom::create_root(element);
        child.add_attribute("value", value.c_str());
        root.add_child(child);
    };
    addValue("type", ReportType);
    addValue("alt_name", UtilityTitle);
    addValue("current_version", lastInstalledText_);
    addValue("package_version", lastHitRom_);
    addValue("takes_effect", takesEffect_);

    const std::string& reportFile = runState().reportFileName;
    dom::DomError written = root.write_file(reportFile.c_str());
    if (written != dom::DomError::None) {
        log_ << "Could not write the version report " << reportFile << ". Error code: " << static_cast<int>(written);
        log_.emit(false);
        return;
    }
    log_ << "Created an XML file with Only FW version information.!" << "\n" << root.to_text(0) << "\n";
    log_.emit(false);
}

}  // namespace

std::optional<std::uint32_t> parseIdentity(const std::string& value) {
    std::size_t i = 0;
    while (i < value.size() && std::isspace(static_cast<unsigned char>(value[i]))) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
    if (value.size() - i >= 3 && value[i] == '0' && (value[i + 1] == 'x' || value[i + 1] == 'X') &&
        hexDigit(value[i + 2]) >= 0)
        i += 2;
    std::size_t digitsStart = i;
    std::int64_t magnitude = 0;
    constexpr std::int64_t cap = std::int64_t{1} << 33;
    for (; i < value.size() && hexDigit(value[i]) >= 0; ++i) {
        magnitude = magnitude * 16 + hexDigit(value[i]);
        if (magnitude > cap) magnitude = cap;
    }
    if (i == digitsStart || i != value.size()) return std::nullopt;
    std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue <= std::numeric_limits<std::int32_t>::min() || signedValue >= std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(signedValue));
}

int readDiscoveryReport(const std::string& fileName) {
    if (runState().discoveryDone) return 0;
    ReportReader reader(fileName);
    return reader.read();
}

}  // namespace kelvor

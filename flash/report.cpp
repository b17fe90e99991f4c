#include "kelvor_core/report.h"
#include "kelvor_core/catalog.h"
#include "kelvor_core/log.h"
#include "kelvor_core/runstate.h"
#include "textfields.h"
#include "xmlvalues.h"

#include "platform/ascii.h"
#include "kelvor_xml/dom.h"

#include <cctype>
#include <cstring>
#include <string_view>
#include <limits>

namespace kelvor {

namespace {

constexpr const char* ReportRoot = "tarn_rom_discovery";
constexpr const char* ReportType = "DIRAVI_NIC";

// Values are read as views of the report's own text; only what an adapter
// record keeps is copied.
std::string_view valueOf(const dom::DomNode& node) { return attributeOrBlank(node, "value"); }

// The view without blanks, tabs and line ends at either end.
std::string_view trimmedView(std::string_view text) {
    constexpr std::string_view blanks = " \t\r\n\v\f";
    std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The element names the reader knows, at any level of the report. Names are
// compared exactly, letter case included.
enum class Item {
    Unknown, Type, TakesEffect, Devices, Device, DeviceId, Venid, Devid, Subvenid, Subdevid, MacAddress, ProductId,
    BusNumber, DeviceNumber, FuncNumber, FwItem, Ports, Port, PortId, FirmwareId, Version, Action, Shared, Duration,
    Message,
};

Item itemOf(const dom::DomNode& node) {
    const char* name = node.name();
    if (name == nullptr) return Item::Unknown;
    // The first letter narrows the candidates to at most six; the name is
    // measured once, so that most candidates fail on their length alone.
    std::string_view view(name);
    auto is = [view](std::string_view candidate) { return view == candidate; };
    switch (name[0]) {
    case 'a':
        return is("action") ? Item::Action : Item::Unknown;
    case 'b':
        return is("busnumber") ? Item::BusNumber : Item::Unknown;
    case 'd':
        if (is("device_id")) return Item::DeviceId;
        if (is("devid")) return Item::Devid;
        if (is("device")) return Item::Device;
        if (is("devices")) return Item::Devices;
        if (is("devicenumber")) return Item::DeviceNumber;
        return is("duration") ? Item::Duration : Item::Unknown;
    case 'f':
        if (is("funcnumber")) return Item::FuncNumber;
        if (is("fw_item")) return Item::FwItem;
        return is("firmware_id") ? Item::FirmwareId : Item::Unknown;
    case 'm':
        if (is("macaddress")) return Item::MacAddress;
        return is("message") ? Item::Message : Item::Unknown;
    case 'p':
        if (is("product_id")) return Item::ProductId;
        if (is("port_id")) return Item::PortId;
        if (is("port")) return Item::Port;
        return is("ports") ? Item::Ports : Item::Unknown;
    case 's':
        if (is("subvenid")) return Item::Subvenid;
        if (is("subdevid")) return Item::Subdevid;
        return is("shared") ? Item::Shared : Item::Unknown;
    case 't':
        if (is("type")) return Item::Type;
        return is("takes_effect") ? Item::TakesEffect : Item::Unknown;
    case 'v':
        if (is("venid")) return Item::Venid;
        return is("version") ? Item::Version : Item::Unknown;
    default:
        return Item::Unknown;
    }
}

// One read of one report file. Each device starts from a fresh record, so a
// device that lacks an item never inherits the previous device's value.
class ReportReader {
public:
    explicit ReportReader(std::string fileName) : fileName_(std::move(fileName)) {}
    int read(const dom::DomNode& root, const dom::DomParseResult& parse);

private:
    enum class Flow { Continue, Stop };

    Flow readDevices(const dom::DomNode& devices);
    Flow readDevice(const dom::DomNode& device);
    Flow readFirmwareItem(const dom::DomNode& item, AdapterRecord& adapter);
    void readPorts(const dom::DomNode& ports, AdapterRecord& adapter);
    void readPort(const dom::DomNode& port, AdapterRecord& adapter);
    std::uint32_t readIdentity(const dom::DomNode& node, const char* warning);
    void matchCatalog(AdapterRecord&& adapter);
    void writeVersionReport();

    std::string fileName_;
    int result_ = 1;
    std::string takesEffect_;
    std::string lastInstalledText_;
    std::string lastHitRom_;
    LogLine log_;
};

int ReportReader::read(const dom::DomNode& root, const dom::DomParseResult& parse) {
    if (parse.error != dom::DomError::None) {
        log_ << "Loading configuration file " << fileName_ << "Failed!. Error code: " << static_cast<int>(parse.error)
             << "\n";
        log_.emit(false);
        return 1;
    }
    for (int i = 0, count = root.child_count(); i < count; ++i) {
        dom::DomNode child = root.child_at(i);
        switch (itemOf(child)) {
        case Item::Type:
            if (valueOf(child) != ReportType) {
                log_ << "Not an expected file (" << fileName_ << "). Expecting type value as 'DIRAVI_NIC'";
                log_.emit(false);
                return result_;
            }
            break;
        case Item::TakesEffect:
            takesEffect_ = valueOf(child);
            break;
        case Item::Devices:
            if (readDevices(child) == Flow::Stop) return result_;
            break;
        default:
            break;
        }
    }
    if (runState().has(flag::VersionReport)) writeVersionReport();
    return result_;
}

// Most children of a real report's devices are supported adapters; room for
// them is made at once rather than by moving every record as the list grows,
// up to a bound that a hostile report cannot turn into a huge reservation.
constexpr int AdapterReservationLimit = 65536;

ReportReader::Flow ReportReader::readDevices(const dom::DomNode& devices) {
    int count = devices.child_count();
    std::vector<AdapterRecord>& adapters = runState().adapters;
    adapters.reserve(adapters.size() + static_cast<std::size_t>(count < AdapterReservationLimit ? count : 0));
    for (int i = 0; i < count; ++i) {
        dom::DomNode device = devices.child_at(i);
        if (itemOf(device) == Item::Device && readDevice(device) == Flow::Stop) return Flow::Stop;
    }
    return Flow::Continue;
}

ReportReader::Flow ReportReader::readDevice(const dom::DomNode& device) {
    AdapterRecord adapter;
    std::int32_t bus = 0, deviceNumber = 0, function = 0;
    auto readLocationPart = [](const dom::DomNode& node, std::int32_t& part) {
        std::string_view value = valueOf(node);
        if (!value.empty()) part = decimalValue(value);
    };

    for (int i = 0, count = device.child_count(); i < count; ++i) {
        dom::DomNode item = device.child_at(i);
        switch (itemOf(item)) {
        case Item::DeviceId:
            adapter.name = trimmedView(valueOf(item));
            break;
        case Item::Venid:
            adapter.venid = readIdentity(item, "Warning!!! - Invalid/Corrupted vendor Id (XML tag: venid) value.");
            break;
        case Item::Devid:
            adapter.devid = readIdentity(item, "Warning!!! - Invalid/Corrupted device Id (XML tag: devid) value.");
            break;
        case Item::Subvenid:
            adapter.subvenid =
                readIdentity(item, "Warning!!! - Invalid/Corrupted sub-vendor Id (XML tag: subvenid) value.");
            break;
        case Item::Subdevid:
            adapter.subdevid =
                readIdentity(item, "Warning!!! - Invalid/Corrupted sub-device Id (XML tag: subdevid) value");
            break;
        case Item::MacAddress:
            adapter.macAddress = valueOf(item);
            break;
        case Item::ProductId:
            adapter.productId = valueOf(item);
            break;
        case Item::BusNumber:
            readLocationPart(item, bus);
            break;
        case Item::DeviceNumber:
            readLocationPart(item, deviceNumber);
            break;
        case Item::FuncNumber:
            readLocationPart(item, function);
            break;
        case Item::FwItem:
            if (readFirmwareItem(item, adapter) == Flow::Stop) return Flow::Stop;
            break;
        case Item::Ports:
            readPorts(item, adapter);
            break;
        default:
            break;
        }
    }
    adapter.location = std::to_string(bus) + ":" + std::to_string(deviceNumber) + ":" + std::to_string(function);
    adapter.pciKey = pciKey(adapter.venid, adapter.devid, adapter.subvenid, adapter.subdevid);
    matchCatalog(std::move(adapter));
    return Flow::Continue;
}

ReportReader::Flow ReportReader::readFirmwareItem(const dom::DomNode& item, AdapterRecord& adapter) {
    for (int i = 0, count = item.child_count(); i < count; ++i) {
        dom::DomNode field = item.child_at(i);
        switch (itemOf(field)) {
        case Item::Type: {
            std::string_view type = valueOf(field);
            if (type != "ROM") {
                log_ << "Warning!!! - firmware type is not expected!. Expected type is ROM, current value is "
                     << type;
                log_.emit(false);
                return Flow::Stop;
            }
            break;
        }
        case Item::FirmwareId:
            adapter.firmwareId = valueOf(field);
            adapter.installedText = adapter.firmwareId;
            if (!adapter.firmwareId.empty()) {
                adapter.installed = parseVersion(adapter.firmwareId);
                lastInstalledText_ = adapter.installedText;
            }
            break;
        case Item::Version:
            adapter.versionText = valueOf(field);
            break;
        case Item::Action:
            adapter.action = trimmedView(valueOf(field));
            break;
        case Item::Shared:
            adapter.shared = valueOf(field) != "NO";
            break;
        case Item::Duration:
            adapter.duration = decimalValue(valueOf(field));
            break;
        case Item::Message: {
            const char* value = field.attribute_value("value");
            adapter.message = value != nullptr ? std::string_view(value) : std::string_view();
            break;
        }
        default:
            break;
        }
    }
    return Flow::Continue;
}

void ReportReader::readPorts(const dom::DomNode& ports, AdapterRecord& adapter) {
    adapter.portCount = ports.child_count();
    // Room for the ports at once; capped, since not every child is a port.
    std::size_t room = adapter.portCount < 16 ? static_cast<std::size_t>(adapter.portCount) : 16;
    adapter.ports.reserve(adapter.ports.size() + room);
    for (int i = 0, count = ports.child_count(); i < count; ++i) {
        dom::DomNode port = ports.child_at(i);
        if (itemOf(port) == Item::Port) readPort(port, adapter);
    }
}

// The first child element of exactly that name, or the empty node.
dom::DomNode firstChildNamed(const dom::DomNode& node, const char* name) {
    for (int i = 0, count = node.child_count(); i < count; ++i)
        if (hasName(node.child_at(i), name)) return node.child_at(i);
    return {};
}

// A port whose identifier equals the adapter's current name designates it:
// the adapter takes that port's MAC address and product name.
void ReportReader::readPort(const dom::DomNode& port, AdapterRecord& adapter) {
    PortRecord record;
    for (int i = 0, count = port.child_count(); i < count; ++i) {
        dom::DomNode field = port.child_at(i);
        switch (itemOf(field)) {
        case Item::PortId:
            record.portId = valueOf(field);
            break;
        case Item::ProductId:
            record.productId = valueOf(field);
            break;
        case Item::FuncNumber:
            record.funcNumber = decimalValue(valueOf(field));
            break;
        case Item::MacAddress: {
            record.macAddress = valueOf(field);
            dom::DomNode portId = firstChildNamed(port, "port_id");
            if (!portId.empty() && valueOf(portId) == adapter.name) {
                adapter.macAddress = record.macAddress;
                adapter.name = valueOf(firstChildNamed(port, "product_id"));
            }
            break;
        }
        default:
            break;
        }
    }
    adapter.ports.push_back(std::move(record));
}

std::uint32_t ReportReader::readIdentity(const dom::DomNode& node, const char* warning) {
    std::optional<std::uint32_t> identity;
    if (const char* value = node.attribute_value("value")) identity = parseIdentity(value);
    if (identity) return *identity;
    log_ << warning;
    log_.emit(false);
    return 0;
}

void ReportReader::matchCatalog(AdapterRecord&& adapter) {
    const CatalogEntry* entry = lookupCatalog(adapter.pciKey);
    if (entry == nullptr) return;
    RunState& state = runState();
    adapter.flags |= AdapterInCatalog;
    adapter.available = entry->romVersion;
    lastHitRom_ = entry->rom;
    state.adapters.push_back(std::move(adapter));
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
    runState().versionReportWritten = true;
    log_ << "Created an XML file with Only FW version information.!" << "\n" << root.to_text(0) << "\n";
    log_.emit(false);
}

}  // namespace

std::optional<std::uint32_t> parseIdentity(std::string_view value) {
    std::size_t i = 0;
    while (i < value.size() && std::isspace(static_cast<unsigned char>(value[i]))) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
    if (value.size() - i >= 3 && value[i] == '0' && (value[i + 1] == 'x' || value[i + 1] == 'X') &&
        platform::hex_digit_value(value[i + 2]) >= 0)
        i += 2;
    std::size_t digitsStart = i;
    std::int64_t magnitude = 0;
    constexpr std::int64_t cap = std::int64_t{1} << 33;
    for (; i < value.size() && platform::hex_digit_value(value[i]) >= 0; ++i) {
        magnitude = magnitude * 16 + platform::hex_digit_value(value[i]);
        if (magnitude > cap) magnitude = cap;
    }
    if (i == digitsStart || i != value.size()) return std::nullopt;
    std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue <= std::numeric_limits<std::int32_t>::min() || signedValue >= std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(signedValue));
}

int readDiscoveryReport(const std::string& fileName, bool* loaded) {
    if (runState().discoveryDone) return 0;
    dom::DomParseResult parse;
    dom::DomNode root = dom::parse_file(fileName.c_str(), ReportRoot, &parse);
    if (loaded != nullptr) *loaded = parse.error == dom::DomError::None;
    return ReportReader(fileName).read(root, parse);
}

int readDiscoveryReportBytes(std::string_view bytes, const std::string& fileName) {
    if (runState().discoveryDone) return 0;
    dom::DomParseResult parse;
    dom::DomNode root = dom::parse_bytes(bytes, ReportRoot, &parse);
    return ReportReader(fileName).read(root, parse);
}

}  // namespace kelvor

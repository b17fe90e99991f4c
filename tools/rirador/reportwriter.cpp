#include "reportwriter.h"

namespace rirador {

namespace {

void appendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    }
}

constexpr std::size_t ExpectedBytesPerAdapter = 2048;

// Builds the document in one string, so the whole report goes out in a
// single write however many adapters there are.
class ReportBuilder {
public:
    explicit ReportBuilder(std::size_t adapters) { out_.reserve(1024 + adapters * ExpectedBytesPerAdapter); }

    void open(int depth, std::string_view name) {
        indent(depth);
        out_.append("<").append(name).append(">\n");
    }
    void close(int depth, std::string_view name) {
        indent(depth);
        out_.append("</").append(name).append(">\n");
    }
    void item(int depth, std::string_view name, std::string_view value) {
        indent(depth);
        out_.append("<").append(name).append(" value=\"");
        appendEscaped(out_, value);
        out_.append("\"/>\n");
    }
    void raw(std::string_view text) { out_.append(text); }
    std::string take() { return std::move(out_); }

private:
    void indent(int depth) { out_.append(static_cast<std::size_t>(depth) * 2, ' '); }
    std::string out_;
};

void writeFirmwareItem(ReportBuilder& report, const Settings& settings) {
    std::string installed = settings.text("firmware");
    report.open(3, "fw_item");
    report.item(4, "type", settings.text("fw_type"));
    report.item(4, "firmware_id", installed);
    report.item(4, "active_version", installed);
    report.item(4, "version", installed);
    report.item(4, "action", settings.text("action"));
    report.item(4, "shared", settings.text("shared"));
    report.item(4, "duration", settings.text("duration"));
    report.item(4, "message", settings.text("message"));
    report.close(3, "fw_item");
}

void writePorts(ReportBuilder& report, const std::vector<Port>& ports) {
    report.open(3, "ports");
    for (const Port& port : ports) {
        report.open(4, "port");
        report.item(5, "port_id", port.id);
        report.item(5, "macaddress", port.mac);
        report.item(5, "product_id", port.product);
        report.item(5, "funcnumber", port.function);
        report.close(4, "port");
    }
    report.close(3, "ports");
}

void writeDevice(ReportBuilder& report, const Adapter& adapter) {
    // Element name and the state-file key that fills it, in report order.
    static constexpr std::pair<std::string_view, std::string_view> Items[] = {
        {"device_id", "device_id"}, {"venid", "venid"},          {"devid", "devid"},
        {"subvenid", "subvenid"},   {"subdevid", "subdevid"},    {"macaddress", "mac"},
        {"product_id", "product"},  {"busnumber", "bus"},        {"devicenumber", "device"},
        {"funcnumber", "function"}, {"slotnumber", "slot"},
    };
    report.open(2, "device");
    for (const auto& [element, key] : Items) report.item(3, element, adapter.settings.text(key));
    writeFirmwareItem(report, adapter.settings);
    writePorts(report, adapter.ports);
    report.close(2, "device");
}

// Cuts the document inside an element: in the first device's device_id
// value, or inside the devices start tag when there is no device.
std::string cutOffInsideAnElement(const std::string& report) {
    constexpr std::string_view firstDeviceValue = "<device_id value=\"";
    std::size_t cut = report.find(firstDeviceValue);
    if (cut != std::string::npos) return report.substr(0, cut + firstDeviceValue.size());
    constexpr std::string_view devices = "<devices";
    cut = report.find(devices);
    return report.substr(0, cut == std::string::npos ? report.size() / 2 : cut + devices.size());
}

}  // namespace

std::string renderReport(const Machine& machine) {
    ReportShape shape = machine.faults.reportShape();
    std::string_view root = shape == ReportShape::WrongRoot ? "tarn_rom_inventory" : "tarn_rom_discovery";

    ReportBuilder report(machine.adapters.size());
    report.raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    report.raw(std::string("<") + std::string(root) + " version=\"" + ReportFormatVersion + "\">\n");
    report.item(1, "type", shape == ReportShape::WrongType ? "OTHER" : "DIRAVI_NIC");
    report.item(1, "version", "1.0");
    report.item(1, "takes_effect", "immediately");
    report.open(1, "devices");
    for (const Adapter& adapter : machine.adapters) writeDevice(report, adapter);
    report.close(1, "devices");
    report.close(0, root);

    std::string text = report.take();
    return shape == ReportShape::Malformed ? cutOffInsideAnElement(text) : text;
}

}  // namespace rirador

// Document generators. The numbering varies the values a little, so the text
// is not one string repeated.
#include "documents.h"

#include <cstdio>

namespace xmlbench {

namespace {

constexpr const char* declaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
constexpr std::size_t entries_per_group = 8;

void append_catalog_group(Document& document, std::size_t first) {
    document.text += "\t<nic>\n";
    char line[256];
    for (std::size_t i = first; i < first + entries_per_group; ++i) {
        std::snprintf(line, sizeof line,
                      "\t\t<nic name=\"KX-Series Dual Port Adapter %05zu\" venid=\"14E4\" devid=\"%04zX\" "
                      "subvenid=\"103C\" subdevid=\"22BE\" rom=\"4.0.%zu\" fwFile=\"kx%05zu.bin\"/>\n",
                      i % 100000, 0x1600 + i % 256, 500 + i % 100, i % 100000);
        document.text += line;
    }
    document.text += "\t</nic>\n";
    document.elements += entries_per_group + 1;
}

void append_value(Document& document, const char* indent, const char* name, const char* value) {
    document.text += indent;
    document.text += '<';
    document.text += name;
    document.text += " value=\"";
    document.text += value;
    document.text += "\"/>\n";
    ++document.elements;
}

void append_port(Document& document, const char* device_id, int function) {
    const char* indent = "\t\t\t\t\t";
    document.text += "\t\t\t\t<port>\n";
    append_value(document, indent, "port_id", device_id);
    append_value(document, indent, "macaddress", "001122334455");
    append_value(document, indent, "product_id", "KX-2");
    append_value(document, indent, "funcnumber", function == 0 ? "0" : "1");
    document.text += "\t\t\t\t</port>\n";
    ++document.elements;
}

void append_device(Document& document, std::size_t number) {
    char device_id[32];
    std::snprintf(device_id, sizeof device_id, "eth%05zu", number % 100000);
    const char* indent = "\t\t\t";
    document.text += "\t\t<device>\n";
    append_value(document, indent, "device_id", device_id);
    const char* identity[][2] = {{"venid", "14E4"},
                                 {"devid", "1657"},
                                 {"subvenid", "103C"},
                                 {"subdevid", "22BE"},
                                 {"macaddress", "001122334455"},
                                 {"product_id", "KX-2"},
                                 {"busnumber", "3"},
                                 {"devicenumber", "0"},
                                 {"funcnumber", "1"},
                                 {"slotnumber", "2"}};
    for (const auto& item : identity) append_value(document, indent, item[0], item[1]);
    document.text += "\t\t\t<fw_item>\n";
    const char* firmware[][2] = {{"type", "ROM"}, {"firmware_id", "4.0.500"}, {"version", "4.0.500"},
                                 {"action", "1"}, {"shared", "NO"},           {"duration", "30"}};
    for (const auto& item : firmware) append_value(document, "\t\t\t\t", item[0], item[1]);
    document.text += "\t\t\t</fw_item>\n\t\t\t<ports>\n";
    append_port(document, device_id, 0);
    append_port(document, device_id, 1);
    document.text += "\t\t\t</ports>\n\t\t</device>\n";
    document.elements += 3;  // device, fw_item and ports
}

Document catalog(std::size_t target_bytes) {
    Document document;
    document.text.reserve(target_bytes + 4096);
    document.text = declaration;
    document.text += "<nic_fw_package version=\"1.0\">\n";
    document.elements = 1;
    for (std::size_t first = 0; document.text.size() < target_bytes; first += entries_per_group)
        append_catalog_group(document, first);
    document.text += "</nic_fw_package>\n";
    return document;
}

Document discovery(std::size_t target_bytes) {
    Document document;
    document.text.reserve(target_bytes + 4096);
    document.text = declaration;
    document.text += "<tarn_rom_discovery version=\"1.0\">\n";
    document.elements = 1;
    append_value(document, "\t", "type", "DIRAVI_NIC");
    append_value(document, "\t", "version", "1.0");
    append_value(document, "\t", "takes_effect", "reboot");
    document.text += "\t<devices>\n";
    ++document.elements;
    for (std::size_t number = 0; document.text.size() < target_bytes; ++number) append_device(document, number);
    document.text += "\t</devices>\n</tarn_rom_discovery>\n";
    return document;
}

}  // namespace

const char* shape_name(Shape shape) {
    switch (shape) {
    case Shape::Catalog:
        return "catalog";
    case Shape::Discovery:
        return "discovery";
    default:
        return "wide";
    }
}

Document generate_wide(std::size_t children) {
    Document document;
    document.text.reserve(children * 24 + 64);
    document.text = declaration;
    document.text += "<ports>\n";
    document.elements = 1;
    char line[64];
    for (std::size_t i = 0; i < children; ++i) {
        std::snprintf(line, sizeof line, "\t<port_id value=\"eth%05zu\"/>\n", i % 100000);
        document.text += line;
        ++document.elements;
    }
    document.text += "</ports>\n";
    return document;
}

Document generate(Shape shape, std::size_t target_bytes) {
    switch (shape) {
    case Shape::Catalog:
        return catalog(target_bytes);
    case Shape::Discovery:
        return discovery(target_bytes);
    default:
        return generate_wide(target_bytes / 27 + 1);
    }
}

}  // namespace xmlbench

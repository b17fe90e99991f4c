// The numbering varies the values a little, so the text is not one string
// repeated.
#include "package_documents.h"

#include <cstdio>

namespace ykzxmlbench {

namespace {

const char* const header =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<ykz_package>\n"
    "\t<filename>Kelvor.exe</filename>\n"
    "\t<name>\n"
    "\t\t<name_xlate lang=\"en\">KX-Series P3P adapter firmware</name_xlate>\n"
    "\t\t<name_xlate lang=\"de\">Firmware der KX-Serie P3P-Adapter</name_xlate>\n"
    "\t\t<name_xlate lang=\"fr\">Micrologiciel des cartes KX-Series P3P</name_xlate>\n"
    "\t\t<name_xlate lang=\"ja\">KX-Series P3P \xE3\x83\x95\xE3\x82\xA1\xE3\x83\xBC\xE3\x83\xA0\xE3\x82\xA6\xE3\x82"
    "\xA7\xE3\x82\xA2</name_xlate>\n"
    "\t</name>\n"
    "\t<description>\n"
    "\t\t<description_xlate lang=\"en\"><![CDATA[Updates the firmware of KX-Series adapters\n"
    "built on the P3P controller.]]></description_xlate>\n"
    "\t\t<description_xlate lang=\"de\"><![CDATA[Aktualisiert die Firmware der KX-Serie.]]></description_xlate>\n"
    "\t</description>\n"
    "\t<version value=\"4.0.550\"/>\n"
    "\t<sw_keys>\n"
    "\t\t<sw_keys_and>\n"
    "\t\t\t<sw_key name=\"Kelvor.exe\">\n"
    "\t\t\t\t<sw_key_expectedpath>%SystemDrive%\\ykzsystem\\bin\\</sw_key_expectedpath>\n"
    "\t\t\t</sw_key>\n"
    "\t\t</sw_keys_and>\n"
    "\t</sw_keys>\n"
    "\t<installation>\n"
    "\t\t<install>\n"
    "\t\t\t<install_caps silent=\"yes\"/>\n"
    "\t\t\t<reboot_required value=\"no\"/>\n"
    "\t\t</install>\n"
    "\t</installation>\n"
    "\t<prerequisites>\n"
    "\t\t<required_diskspace size_kb=\"2048\"/>\n";

void append_device(std::string& text, std::size_t number) {
    char block[512];
    std::snprintf(block, sizeof block,
                  "\t\t\t<supported_devices_and>\n"
                  "\t\t\t\t<supported_device type=\"pci\">\n"
                  "\t\t\t\t\t<supported_device_data name=\"ven\">14E4</supported_device_data>\n"
                  "\t\t\t\t\t<supported_device_data name=\"dev\">%04zX</supported_device_data>\n"
                  "\t\t\t\t\t<supported_device_data name=\"subven\">103C</supported_device_data>\n"
                  "\t\t\t\t\t<supported_device_data name=\"subdev\">%04zX</supported_device_data>\n"
                  "\t\t\t\t</supported_device>\n"
                  "\t\t\t</supported_devices_and>\n",
                  0x1600 + number % 256, 0x2200 + number % 4096);
    text += block;
}

void append_system(std::string& text, std::size_t number) {
    char line[160];
    std::snprintf(line, sizeof line,
                  "\t\t\t<supported_operating_system platform=\"nt_x86-64\" major=\"%zu\" minor=\"%zu\" sr=\"%zu\" "
                  "edition=\"srvr\"/>\n",
                  5 + number % 2, number % 3, number % 4);
    text += line;
}

}  // namespace

std::string package_definition(std::size_t target_bytes) {
    std::string text;
    text.reserve(target_bytes + 4096);
    text = header;
    // Four fifths devices, one fifth systems, as a long package would list them.
    std::size_t devices_end = text.size() + target_bytes * 4 / 5;
    text += "\t\t<supported_devices>\n";
    for (std::size_t number = 0; text.size() < devices_end; ++number) append_device(text, number);
    text += "\t\t</supported_devices>\n\t\t<supported_operating_systems>\n";
    for (std::size_t number = 0; text.size() < target_bytes; ++number) append_system(text, number);
    text += "\t\t</supported_operating_systems>\n\t</prerequisites>\n</ykz_package>\n";
    return text;
}

std::string cdata_document(std::size_t target_bytes) {
    std::string text;
    text.reserve(target_bytes + 128);
    text = "<?xml version=\"1.0\"?>\n<description_xlate lang=\"en\"><![CDATA[";
    char line[96];
    for (std::size_t number = 0; text.size() < target_bytes; ++number) {
        // 79 characters and the line break.
        std::snprintf(line, sizeof line,
                      "%08zu The adapter firmware update keeps the settings of every port as it is.\n", number);
        text += line;
    }
    text += "]]></description_xlate>\n";
    return text;
}

}  // namespace ykzxmlbench

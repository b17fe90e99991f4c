#include "xmlvalues.h"

#include <cstring>

namespace kelvor {

bool hasName(const dom::DomNode& node, const char* name) {
    const char* actual = node.name();
    return actual != nullptr && std::strcmp(actual, name) == 0;
}

std::string attributeOrBlank(const dom::DomNode& node, const char* name) {
    const char* value = node.attribute_value(name);
    return value != nullptr ? std::string(value) : std::string(" ");
}

bool hasAttributeValue(const dom::DomNode& node, const char* name) { return node.attribute_value(name) != nullptr; }

std::string trimmed(const std::string& text) {
    const char* blanks = " \t\r\n\v\f";
    std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    std::size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

}  // namespace kelvor

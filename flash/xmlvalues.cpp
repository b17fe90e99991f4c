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

}  // namespace kelvor

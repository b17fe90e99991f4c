#include "xmlvalues.h"

#include <cstring>

namespace kelvor {

bool hasName(const dom::DomNode& node, const char* name) {
    const char* actual = node.name();
    return actual != nullptr && std::strcmp(actual, name) == 0;
}

std::string_view attributeOrBlank(const dom::DomNode& node, const char* name) {
    const char* value = node.attribute_value(name);
    return value != nullptr ? std::string_view(value) : std::string_view(" ");
}

bool hasAttributeValue(const dom::DomNode& node, const char* name) { return node.attribute_value(name) != nullptr; }

}  // namespace kelvor

// Small readers shared by the catalog and the discovery report: exact element
// names, and attribute values with the files' " " default.
#pragma once

#include "kelvor_xml/dom.h"

#include <string_view>

namespace kelvor {

// True when the element's name is exactly `name`, letter case included.
bool hasName(const dom::DomNode& node, const char* name);

// The value of the first attribute of that name (compared without regard to
// case), or " " when it is missing or has no value. The view reads the
// document's own text, so it lasts as long as a handle to the document.
std::string_view attributeOrBlank(const dom::DomNode& node, const char* name);

// Whether the element carries a value for that attribute at all.
bool hasAttributeValue(const dom::DomNode& node, const char* name);

}  // namespace kelvor

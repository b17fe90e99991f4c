// Generated documents for the plug-in's XML reader: package definitions of
// any size, and one long CDATA section.
#pragma once

#include <cstddef>
#include <string>

namespace ykzxmlbench {

// A package definition (root ykz_package) of about target_bytes: the usual
// header elements, then as many supported devices and operating systems as
// it takes.
std::string package_definition(std::size_t target_bytes);

// A document whose root holds one CDATA section of about target_bytes, in
// lines of 80 characters.
std::string cdata_document(std::size_t target_bytes);

}  // namespace ykzxmlbench

// Generated documents shaped like the files the utility reads.
#pragma once

#include <cstddef>
#include <string>

namespace xmlbench {

enum class Shape {
    Catalog,    // the firmware catalog: grouped entries with seven attributes, about 140 bytes per element
    Discovery,  // the discovery report: small elements with one value attribute, about 28 bytes per element
    Wide,       // one element whose children are all small leaves
};

const char* shape_name(Shape shape);

struct Document {
    std::string text;
    std::size_t elements = 0;
};

// A document of about target_bytes bytes (never less than one unit of the
// shape's repeating part).
Document generate(Shape shape, std::size_t target_bytes);

// A root with exactly `children` leaf children.
Document generate_wide(std::size_t children);

}  // namespace xmlbench

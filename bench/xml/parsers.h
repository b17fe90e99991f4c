// The parsers under comparison, behind one interface: each builds a complete
// tree of the document and keeps it until it is freed.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace xmlbench {

class TreeParser {
public:
    virtual ~TreeParser() = default;
    virtual const char* name() const = 0;
    // Parses NUL-terminated text of the given size; false on a parse error.
    virtual bool parse(const std::string& text) = 0;
    // Reads and parses a whole file the way the parser's own file loading does.
    virtual bool parse_file(const std::string& path) = 0;
    virtual void free_tree() = 0;
    // Elements in the tree, to check that every parser saw the same document.
    virtual std::size_t element_count() const = 0;
};

// Ours first; the rest in the order of the report's columns.
std::vector<std::unique_ptr<TreeParser>> all_parsers();

std::string read_file(const std::string& path);

}  // namespace xmlbench

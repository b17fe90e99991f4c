// Reading whole documents: each entry point hands the document's storage one
// UTF-8 copy of the text (the bytes read, the bytes given, or their UTF-16
// conversion), the grammar parses that copy in place, and the result is
// picked out of the holder that it fills.
#include "node.h"
#include "parser.h"
#include "utf8.h"
#include "kelvor_xml/dom.h"

#include "platform/text.h"
#include "platform/wholefile.h"

#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace dom {

namespace {

// A parse needs a few records for a small document and hundreds of
// megabytes for a large one; blocks double from here.
constexpr std::size_t first_parse_block_size = 4096;

void set_result(DomParseResult* result, DomError error, std::int32_t line, std::int32_t column) {
    if (result == nullptr) return;
    result->error = error;
    result->line = line;
    result->column = column;
}

// Counted in the text as it was given: the parse has written over the
// copy, and the edit log gives back what it replaced. The text holds no NUL
// before the position, as parsing ends at the first one.
void set_position(DomParseResult* result, DomError error, const EditLog& edits, const char* text,
                  const char* position) {
    std::string original = edits.original(static_cast<std::size_t>(position - text));
    const char* end = original.c_str() + original.size();
    std::int32_t line = 1;
    std::int32_t column = 1;
    for (const char* scan = original.c_str(); scan < end; scan = utf8::next(scan, end)) {
        if (*scan == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    set_result(result, error, line, column);
}

// The holder's only child stands for the document, unless the holder holds
// anything else.
DomNode candidate_of(const DomNode& holder) {
    const DomNodeData* data = DomAccess::data(holder);
    if (data->child_count == 1 && data->text_count() == 0 && data->raw_section_count() == 0 &&
        data->attribute_count == 0)
        return holder.child_at(0);
    return holder;
}

bool is_warning(DomError error) {
    return error == DomError::None || error == DomError::UnclosedElement || error == DomError::NoElement;
}

bool starts_with(std::string_view bytes, std::string_view mark) {
    return bytes.substr(0, mark.size()) == mark;
}

// The parses themselves, which may run out of memory; the public entry
// points turn that into an error result. The document text is taken from
// start onwards.
DomNode parse_owned(std::string&& owned, std::size_t start, const char* expected_root, DomParseResult* result) {
    Storage* storage = Storage::create(first_parse_block_size);
    char* text = storage->own_text(std::move(owned)) + start;
    DomNode holder = DomAccess::adopt(storage->new_record(nullptr, false));
    EditLog edits(text);
    ParseOutcome outcome = parse_into_holder(text, DomAccess::data(holder), edits);
    DomError error = holder.child_count() == 0 ? DomError::NoElement : outcome.error;
    DomNode candidate = candidate_of(holder);
    if (!is_warning(error)) {
        candidate = DomNode();
    } else if (expected_root != nullptr && *expected_root != '\0' && !names_equal(candidate.name(), expected_root)) {
        candidate = candidate.child_named(expected_root);
        if (candidate.empty()) {
            set_result(result, DomError::RootNotFound, 0, 0);
            return DomNode();
        }
    }
    if (error == DomError::None)
        set_result(result, error, 0, 0);
    else
        set_position(result, error, edits, text,
                     error == DomError::UnclosedElement ? outcome.unclosed_position : outcome.stop_position);
    return candidate;
}

// owned, when given, holds the same bytes, and the document may take it over
// instead of copying them.
DomNode parse_bytes_unguarded(std::string_view bytes, std::string* owned, const char* expected_root,
                              DomParseResult* result) {
    if (bytes.empty()) {
        set_result(result, DomError::EmptyFile, 0, 0);
        return DomNode();
    }
    if (platform::is_utf16_text(bytes.data(), bytes.size())) {
        std::size_t skipped = starts_with(bytes, "\xFF\xFE") ? 2 : 0;
        std::string converted;
        if (!platform::utf16le_to_utf8(bytes.data() + skipped, bytes.size() - skipped, converted) ||
            converted.empty()) {
            set_result(result, DomError::Utf16ConversionFailed, 0, 0);
            return DomNode();
        }
        return parse_owned(std::move(converted), 0, expected_root, result);
    }
    std::size_t skipped = starts_with(bytes, "\xEF\xBB\xBF") ? 3 : 0;
    if (owned != nullptr) return parse_owned(std::move(*owned), skipped, expected_root, result);
    // A NUL ends the text, so nothing after it needs a copy.
    return parse_owned(std::string(bytes.substr(0, bytes.find('\0', skipped))), skipped, expected_root, result);
}

// Every memory request of a parse (records, blocks, the parser's stacks,
// conversions) may fail on a hostile document; none may escape as an
// exception.
template <typename Parse>
DomNode guarded(DomParseResult* result, Parse parse) {
    try {
        return parse();
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    set_result(result, DomError::OutOfMemory, 0, 0);
    return DomNode();
}

}  // namespace

DomNode parse_text(const char* text, const char* expected_root, DomParseResult* result) {
    if (text == nullptr) {
        set_result(result, DomError::NoInput, 0, 0);
        return DomNode();
    }
    return guarded(result, [&] { return parse_owned(std::string(text), 0, expected_root, result); });
}

DomNode parse_bytes(std::string_view bytes, const char* expected_root, DomParseResult* result) {
    set_result(result, DomError::None, 0, 0);
    return guarded(result, [&] { return parse_bytes_unguarded(bytes, nullptr, expected_root, result); });
}

DomNode parse_file(const char* path, const char* expected_root, DomParseResult* result) {
    set_result(result, DomError::None, 0, 0);
    return guarded(result, [&] {
        std::string bytes;
        if (path == nullptr || platform::read_whole_file(path, bytes) != platform::WholeFileStatus::ok) {
            set_result(result, DomError::FileNotFound, 0, 0);
            return DomNode();
        }
        return parse_bytes_unguarded(bytes, &bytes, expected_root, result);
    });
}

}  // namespace dom

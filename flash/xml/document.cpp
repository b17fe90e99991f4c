// Reading whole documents: parse_text picks the result out of the holder
// that the grammar fills, parse_file brings a file into UTF-8 first.
#include "dom.h"
#include "node.h"
#include "parser.h"
#include "utf8.h"

#include "platform/files.h"
#include "platform/text.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace dom {

namespace {

// A parse needs a few records for a small document and hundreds of
// megabytes for a large one; blocks double from here.
constexpr std::size_t first_parse_block_size = 4096;
// Zeros after the bytes of a file: a NUL for UTF-8 and a NUL unit for UTF-16.
constexpr std::size_t file_padding = 4;

void set_result(DomParseResult* result, DomError error, std::int32_t line, std::int32_t column) {
    if (result == nullptr) return;
    result->error = error;
    result->line = line;
    result->column = column;
}

void set_position(DomParseResult* result, DomError error, const char* text, const char* position) {
    std::int32_t line = 1;
    std::int32_t column = 1;
    for (const char* scan = text; scan < position && *scan != '\0'; scan = utf8::next(scan)) {
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

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

struct FileBytes {
    std::unique_ptr<char[]> data;
    std::size_t length = 0;
};

// The whole file followed by zero padding. The size from seeking only sizes
// the first read; reading goes on to the real end.
bool read_whole_file(std::FILE* file, FileBytes& bytes) {
    std::size_t capacity = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        long size = std::ftell(file);
        if (size > 0) capacity = static_cast<std::size_t>(size);
    }
    if (std::fseek(file, 0, SEEK_SET) != 0) return false;
    bytes.data = std::make_unique_for_overwrite<char[]>(capacity + file_padding);
    for (;;) {
        std::size_t room = capacity - bytes.length;
        if (room == 0) {
            capacity = capacity < 4096 ? 4096 : capacity * 2;
            auto grown = std::make_unique_for_overwrite<char[]>(capacity + file_padding);
            if (bytes.length > 0) std::memcpy(grown.get(), bytes.data.get(), bytes.length);
            bytes.data = std::move(grown);
            room = capacity - bytes.length;
        }
        std::size_t got = std::fread(bytes.data.get() + bytes.length, 1, room, file);
        bytes.length += got;
        if (got < room) break;
    }
    if (std::ferror(file) != 0) return false;
    std::memset(bytes.data.get() + bytes.length, 0, file_padding);
    return true;
}

bool starts_with(const FileBytes& bytes, const char* mark, std::size_t length) {
    return bytes.length >= length && std::memcmp(bytes.data.get(), mark, length) == 0;
}

}  // namespace

DomNode parse_text(const char* text, const char* expected_root, DomParseResult* result) {
    if (text == nullptr) {
        set_result(result, DomError::NoInput, 0, 0);
        return DomNode();
    }
    Storage* storage = Storage::create(first_parse_block_size);
    DomNode holder = DomAccess::adopt(storage->new_record(nullptr, false));
    ParseOutcome outcome = parse_into_holder(text, DomAccess::data(holder));
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
        set_position(result, error, text,
                     error == DomError::UnclosedElement ? outcome.unclosed_position : outcome.stop_position);
    return candidate;
}

DomNode parse_file(const char* path, const char* expected_root, DomParseResult* result) {
    set_result(result, DomError::None, 0, 0);
    FileHandle file(path != nullptr ? platform::open_file(path, "rb") : nullptr);
    if (file == nullptr) {
        set_result(result, DomError::FileNotFound, 0, 0);
        return DomNode();
    }
    FileBytes bytes;
    if (!read_whole_file(file.get(), bytes)) {
        set_result(result, DomError::FileNotFound, 0, 0);
        return DomNode();
    }
    file.reset();
    if (bytes.length == 0) {
        set_result(result, DomError::EmptyFile, 0, 0);
        return DomNode();
    }
    if (platform::is_utf16_text(bytes.data.get(), bytes.length)) {
        std::size_t skipped = starts_with(bytes, "\xFF\xFE", 2) ? 2 : 0;
        std::string converted;
        bool ok = platform::utf16le_to_utf8(bytes.data.get() + skipped, bytes.length - skipped, converted);
        bytes.data.reset();
        if (!ok || converted.empty()) {
            set_result(result, DomError::Utf16ConversionFailed, 0, 0);
            return DomNode();
        }
        return parse_text(converted.c_str(), expected_root, result);
    }
    std::size_t skipped = starts_with(bytes, "\xEF\xBB\xBF", 3) ? 3 : 0;
    return parse_text(bytes.data.get() + skipped, expected_root, result);
}

}  // namespace dom

#include "jsonwriter.h"

#include <cstdio>

JsonWriter::JsonWriter() : text_("{"), empty_{true} {}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (byte < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

void JsonWriter::key(std::string_view name) {
    if (!empty_.back()) text_ += ", ";
    empty_.back() = false;
    text_ += JsonString(name) + ": ";
}

void JsonWriter::beginObject(std::string_view name) {
    key(name);
    text_ += "{";
    empty_.push_back(true);
}

void JsonWriter::endObject() {
    // The outermost object closes only in finish().
    if (empty_.size() < 2) return;
    text_ += "}";
    empty_.pop_back();
}

void JsonWriter::field(std::string_view name, std::string_view text) {
    key(name);
    text_ += JsonString(text);
}

void JsonWriter::field(std::string_view name, std::int64_t number) {
    key(name);
    text_ += std::to_string(number);
}

std::string JsonWriter::finish() {
    while (empty_.size() > 1) endObject();
    return text_ + "}\n";
}

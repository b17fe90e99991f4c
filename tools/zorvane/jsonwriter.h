// A small streaming writer of one JSON object: nested objects, texts and
// numbers, in the order they are written. Texts are UTF-8 and come out with
// every quote, backslash and control character escaped, so a plug-in message
// can never break the document.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class JsonWriter {
public:
    JsonWriter();

    void beginObject(std::string_view key);
    void endObject();
    void field(std::string_view key, std::string_view text);
    void field(std::string_view key, std::int64_t number);

    // The document with every open object closed, ending in a line end.
    std::string finish();

private:
    void key(std::string_view name);

    std::string text_;
    std::vector<bool> empty_;  // per open object: nothing written into it yet
};

// `text` as a JSON string literal, quotes included.
std::string JsonString(std::string_view text);

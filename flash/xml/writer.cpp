// Formatted output: one walk over the tree measures the text, a second walk
// over the same rules fills a buffer of exactly that size. The walk keeps
// its own stack, so the depth of a tree is limited by memory only.
#include "kelvor_xml/dom.h"
#include "entities.h"
#include "node.h"
#include "utf8.h"

#include "platform/files.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace dom {

namespace {

constexpr char byte_order_mark[] = "\xEF\xBB\xBF";
constexpr char declaration_line[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

struct CountingSink {
    std::size_t size = 0;
    void put(const char*, std::size_t length) { size += length; }
    void put(char) { ++size; }
    void tabs(int count) { size += static_cast<std::size_t>(count); }
};

struct FillingSink {
    char* out;
    void put(const char* text, std::size_t length) {
        std::memcpy(out, text, length);
        out += length;
    }
    void put(char c) { *out++ = c; }
    void tabs(int count) {
        std::memset(out, '\t', static_cast<std::size_t>(count));
        out += count;
    }
};

const Entity* entity_for(char c) {
    for (const Entity& entity : entity_table)
        if (entity.character == c) return &entity;
    return nullptr;
}

// Replaces the five special characters by their entities; everything else,
// a multi-byte sequence as a whole, is copied.
template <typename Sink>
void put_escaped(Sink& sink, const char* text) {
    const char* run = text;
    const char* position = text;
    while (*position != '\0') {
        if (static_cast<unsigned char>(*position) >= 0x80) {
            position = utf8::next(position);
            continue;
        }
        const Entity* entity = entity_for(*position);
        if (entity == nullptr) {
            ++position;
            continue;
        }
        sink.put(run, static_cast<std::size_t>(position - run));
        sink.put(entity->text, entity->length);
        run = ++position;
    }
    sink.put(run, static_cast<std::size_t>(position - run));
}

template <typename Sink>
void put_string(Sink& sink, const char* text) {
    sink.put(text, std::strlen(text));
}

template <typename Sink>
class Renderer {
public:
    explicit Renderer(Sink& sink) : sink_(sink) {}
    void render(const DomNodeData* root, int level);

private:
    struct Step {
        const DomNodeData* node;
        std::int32_t next;  // position in the node's order list
        int level;
        int child_level;
        bool end_tag;
    };

    void open(const DomNodeData* node, int level);
    void start_tag(const DomNodeData* node, int level, const char* opening);
    void content_line(const DomNodeData* node, DomContentRef ref, int level);
    void end_tag(const DomNodeData* node, int level);

    Sink& sink_;
    std::vector<Step> steps_;
};

template <typename Sink>
void Renderer<Sink>::render(const DomNodeData* root, int level) {
    open(root, level);
    while (!steps_.empty()) {
        Step& step = steps_.back();
        if (step.next == step.node->order_length()) {
            if (step.end_tag) end_tag(step.node, step.level);
            steps_.pop_back();
            continue;
        }
        const DomNodeData* node = step.node;
        DomContentRef ref = node->order_at(step.next++);
        if (ref_kind(ref) == ChildKind)
            open(node->children[ref_index(ref)], step.child_level);  // may grow steps_
        else
            content_line(node, ref, step.level + 1);
    }
}

// Writes what comes before the node's content and, if it has content lines
// of its own, schedules them.
template <typename Sink>
void Renderer<Sink>::open(const DomNodeData* node, int level) {
    std::int32_t entries = node->order_length();
    bool inline_text = entries == 1 && ref_kind(node->order_at(0)) == TextKind;
    if (node->is_declaration()) {
        start_tag(node, level, "<?");
        put_string(sink_, "?>\n");
        steps_.push_back(Step{node, 0, level, level, false});
        return;
    }
    if (node->name == nullptr) {
        if (inline_text)
            put_escaped(sink_, node->content->texts[0]);
        else
            steps_.push_back(Step{node, 0, level, level, false});
        return;
    }
    start_tag(node, level, "<");
    if (entries == 0) {
        put_string(sink_, "/>\n");
    } else if (inline_text) {
        sink_.put('>');
        put_escaped(sink_, node->content->texts[0]);
        end_tag(node, 0);
    } else {
        put_string(sink_, ">\n");
        steps_.push_back(Step{node, 0, level, level + 1, true});
    }
}

template <typename Sink>
void Renderer<Sink>::start_tag(const DomNodeData* node, int level, const char* opening) {
    sink_.tabs(level);
    put_string(sink_, opening);
    put_string(sink_, node->name);
    for (std::int32_t i = 0; i < node->attribute_count; ++i) {
        const DomAttribute& attribute = node->attributes[i];
        if (attribute.name == nullptr || *attribute.name == '\0') continue;
        sink_.put(' ');
        put_string(sink_, attribute.name);
        if (attribute.value == nullptr) continue;
        put_string(sink_, "=\"");
        put_escaped(sink_, attribute.value);
        sink_.put('"');
    }
}

template <typename Sink>
void Renderer<Sink>::content_line(const DomNodeData* node, DomContentRef ref, int level) {
    if (ref_kind(ref) == TextKind) {
        const char* text = node->content->texts[ref_index(ref)];
        if (*text == '\0') return;
        sink_.tabs(level);
        put_escaped(sink_, text);
        sink_.put('\n');
        return;
    }
    const DomRawSection& section = node->content->raw_sections[ref_index(ref)];
    sink_.tabs(level);
    put_string(sink_, section.open_marker);
    put_string(sink_, section.content);
    put_string(sink_, section.close_marker);
    sink_.put('\n');
}

template <typename Sink>
void Renderer<Sink>::end_tag(const DomNodeData* node, int level) {
    sink_.tabs(level);
    put_string(sink_, "</");
    put_string(sink_, node->name);
    put_string(sink_, ">\n");
}

bool write_all(std::FILE* file, const char* data, std::size_t length) {
    return length == 0 || std::fwrite(data, 1, length, file) == length;
}

}  // namespace

std::string DomNode::to_text(int level) const {
    if (data_ == nullptr) return {};
    if (level < 0) level = 0;
    CountingSink counter;
    Renderer<CountingSink>(counter).render(data_, level);
    std::string text(counter.size, '\0');
    FillingSink filler{text.data()};
    Renderer<FillingSink>(filler).render(data_, level);
    return text;
}

DomError DomNode::write_file(const char* path) const {
    std::FILE* file = path != nullptr ? platform::open_file(path, "wb") : nullptr;
    if (file == nullptr) return DomError::OpenForWriteFailed;
    bool holds_declaration =
        data_ != nullptr && data_->name == nullptr && data_->child_count > 0 && data_->children[0]->is_declaration();
    bool with_declaration = !is_declaration() && !holds_declaration;
    std::string text = to_text(0);
    bool written = write_all(file, byte_order_mark, sizeof byte_order_mark - 1) &&
                   (!with_declaration || write_all(file, declaration_line, sizeof declaration_line - 1)) &&
                   write_all(file, text.data(), text.size());
    bool closed = std::fclose(file) == 0;
    return written && closed ? DomError::None : DomError::WriteFailed;
}

}  // namespace dom

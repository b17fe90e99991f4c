#include "statefile.h"
#include "fileio.h"

namespace rirador {

namespace {

enum class Section { None, Adapter, Faults };

std::vector<std::string_view> splitFields(std::string_view text, char separator) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(separator, start);
        fields.push_back(trimBlanks(text.substr(start, end == std::string_view::npos ? end : end - start)));
        if (end == std::string_view::npos) return fields;
        start = end + 1;
    }
}

class StateParser {
public:
    explicit StateParser(const std::string& fileName) : fileName_(fileName) {}
    StateLoad parse(std::string_view text);

private:
    bool parseLine(std::string_view line);
    bool startSection(std::string_view header);
    bool assign(std::string_view key, std::string_view value);
    bool addPort(std::string_view value);
    bool requireDeviceIds();
    bool fail(int line, const std::string& what);

    const std::string& fileName_;
    Machine machine_;
    Section section_ = Section::None;
    int lineNumber_ = 0;
    std::vector<int> adapterLines_;
    std::string problem_;
};

StateLoad StateParser::parse(std::string_view text) {
    text = withoutByteOrderMark(text);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        ++lineNumber_;
        if (!parseLine(text.substr(start, end - start))) return {std::nullopt, problem_};
        start = end + 1;
    }
    if (!requireDeviceIds()) return {std::nullopt, problem_};
    return {std::move(machine_), {}};
}

bool StateParser::parseLine(std::string_view line) {
    line = trimBlanks(line);
    if (line.empty() || line.front() == '#') return true;
    if (line.front() == '[') return startSection(line);
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return fail(lineNumber_, "expected \"key = value\" or a section header");
    return assign(trimBlanks(line.substr(0, equals)), trimBlanks(line.substr(equals + 1)));
}

bool StateParser::startSection(std::string_view header) {
    if (header == "[adapter]") {
        section_ = Section::Adapter;
        machine_.adapters.emplace_back();
        adapterLines_.push_back(lineNumber_);
        return true;
    }
    if (header == "[faults]") {
        if (machine_.faults.declared) return fail(lineNumber_, "a second [faults] section");
        section_ = Section::Faults;
        machine_.faults.declared = true;
        return true;
    }
    return fail(lineNumber_, "unknown section " + std::string(header) + " (expected [adapter] or [faults])");
}

bool StateParser::assign(std::string_view key, std::string_view value) {
    if (section_ == Section::None) return fail(lineNumber_, "key \"" + std::string(key) + "\" outside a section");
    Settings& settings =
        section_ == Section::Adapter ? machine_.adapters.back().settings : machine_.faults.settings;
    const StateKey* known = findKey(settings.keys(), key);
    const char* sectionName = section_ == Section::Adapter ? "[adapter]" : "[faults]";
    if (known == nullptr) return fail(lineNumber_, "unknown key \"" + std::string(key) + "\" in " + sectionName);
    if (known->kind == ValueKind::Port) return addPort(value);
    // A second value for the same key is a mistake in the file, not an
    // override: silently taking one of them would hide the mistake.
    if (settings.has(key)) return fail(lineNumber_, "key \"" + std::string(key) + "\" given twice in one section");
    if (std::string why = valueProblem(known->kind, value); !why.empty())
        return fail(lineNumber_, std::string(key) + " " + why + ", not \"" + std::string(value) + "\"");
    settings.set(key, std::string(value));
    return true;
}

bool StateParser::addPort(std::string_view value) {
    std::vector<std::string_view> fields = splitFields(value, '|');
    if (fields.size() > 4) return fail(lineNumber_, "port takes at most four fields: PORT_ID | MAC | PRODUCT | FUNC");
    Port port;
    port.id = fields[0];
    if (fields.size() > 1) port.mac = fields[1];
    if (fields.size() > 2) port.product = fields[2];
    if (fields.size() > 3) port.function = fields[3];
    machine_.adapters.back().ports.push_back(std::move(port));
    return true;
}

bool StateParser::requireDeviceIds() {
    for (std::size_t i = 0; i < machine_.adapters.size(); ++i)
        if (!machine_.adapters[i].settings.has("device_id"))
            return fail(adapterLines_[i], "this [adapter] has no device_id");
    return true;
}

bool StateParser::fail(int line, const std::string& what) {
    problem_ = fileName_ + ":" + std::to_string(line) + ": " + what;
    return false;
}

void renderSettings(const Settings& settings, const std::vector<Port>* ports, std::string& out) {
    for (const StateKey& key : settings.keys()) {
        if (key.kind == ValueKind::Port) {
            if (ports == nullptr) continue;
            for (const Port& port : *ports)
                out += "port = " + port.id + " | " + port.mac + " | " + port.product + " | " + port.function + "\n";
        } else if (settings.has(key.name)) {
            out += std::string(key.name) + " = " + settings.text(key.name) + "\n";
        }
    }
}

}  // namespace

StateLoad parseState(std::string_view text, const std::string& fileName) {
    return StateParser(fileName).parse(text);
}

StateLoad loadStateFile(const std::string& fileName) {
    std::optional<std::string> text = readWholeFile(fileName);
    if (!text) return {std::nullopt, fileName + ": cannot be read (a simulated machine needs this file)"};
    return parseState(*text, fileName);
}

std::string renderState(const Machine& machine) {
    std::string out = "# Simulated adapters; rewritten by rirador after a firmware change.\n";
    for (const Adapter& adapter : machine.adapters) {
        out += "\n[adapter]\n";
        renderSettings(adapter.settings, &adapter.ports, out);
    }
    if (machine.faults.declared) {
        out += "\n[faults]\n";
        renderSettings(machine.faults.settings, nullptr, out);
    }
    return out;
}

bool saveStateFile(const Machine& machine, const std::string& fileName) {
    return replaceFile(fileName, renderState(machine));
}

}  // namespace rirador

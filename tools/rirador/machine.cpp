#include "machine.h"

#include <algorithm>
#include <charconv>

namespace rirador {

namespace {

constexpr StateKey AdapterKeyTable[] = {
    {"device_id", ValueKind::Text, ""},  {"venid", ValueKind::Text, ""},
    {"devid", ValueKind::Text, ""},      {"subvenid", ValueKind::Text, ""},
    {"subdevid", ValueKind::Text, ""},   {"mac", ValueKind::Text, ""},
    {"product", ValueKind::Text, ""},    {"bus", ValueKind::Text, "0"},
    {"device", ValueKind::Text, "0"},    {"function", ValueKind::Text, "0"},
    {"slot", ValueKind::Text, "0"},      {"firmware", ValueKind::Text, ""},
    {"fw_type", ValueKind::Text, "ROM"}, {"action", ValueKind::Text, "flash"},
    {"shared", ValueKind::Text, "YES"},  {"duration", ValueKind::Text, "60"},
    {"message", ValueKind::Text, ""},    {"port", ValueKind::Port, ""},
    {"flash_exit", ValueKind::ExitCode, "0"}, {"flash_crash", ValueKind::YesNo, "no"},
};

constexpr StateKey FaultKeyTable[] = {
    {"discover_exit", ValueKind::ExitCode, "0"}, {"discover_leaves_file", ValueKind::YesNo, "no"},
    {"discover_crash", ValueKind::YesNo, "no"},  {"discover_killed", ValueKind::YesNo, "no"},
    {"report", ValueKind::ReportShape, "normal"},
    {"update_exit", ValueKind::ExitCode, "0"},   {"delay_ms", ValueKind::Milliseconds, "0"},
    {"report_file", ValueKind::Text, ""},        {"report_link", ValueKind::Text, ""},
    {"report_faults_for", ValueKind::Text, ""},
};

constexpr std::string_view ReportShapeNames[] = {"normal", "malformed", "wrong_type", "wrong_root", "directory", "none"};

// Plain decimal digits only: a sign, blanks or a suffix are typing mistakes
// that would otherwise turn a fault into something else.
bool parseDecimal(std::string_view text, int maximum, int& value) {
    if (text.empty() || text.size() > 9) return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= 0 && value <= maximum;
}

}  // namespace

std::span<const StateKey> adapterKeys() { return AdapterKeyTable; }
std::span<const StateKey> faultKeys() { return FaultKeyTable; }

const StateKey* findKey(std::span<const StateKey> keys, std::string_view name) {
    auto found = std::find_if(keys.begin(), keys.end(), [&](const StateKey& key) { return key.name == name; });
    return found == keys.end() ? nullptr : &*found;
}

std::string valueProblem(ValueKind kind, std::string_view value) {
    int number = 0;
    switch (kind) {
    case ValueKind::Text:
    case ValueKind::Port:
        return {};
    case ValueKind::ExitCode:
        // Exit codes above 255 would wrap on POSIX, and 256 would then read
        // as success.
        return parseDecimal(value, 255, number) ? std::string() : "expects an exit code from 0 to 255";
    case ValueKind::YesNo:
        return value == "yes" || value == "no" ? std::string() : "expects yes or no";
    case ValueKind::Milliseconds:
        return parseDecimal(value, MaxDelayMilliseconds, number)
                   ? std::string()
                   : "expects milliseconds from 0 to " + std::to_string(MaxDelayMilliseconds);
    case ValueKind::ReportShape:
        for (std::string_view shape : ReportShapeNames)
            if (value == shape) return {};
        return "expects normal, malformed, wrong_type, wrong_root, directory or none";
    }
    return "has an unknown kind";
}

std::string Settings::text(std::string_view key) const {
    if (auto found = values_.find(key); found != values_.end()) return found->second;
    const StateKey* known = findKey(keys_, key);
    return known ? std::string(known->fallback) : std::string();
}

int Settings::number(std::string_view key) const {
    int value = 0;
    std::string written = text(key);
    return parseDecimal(written, MaxDelayMilliseconds, value) ? value : 0;
}

bool Adapter::answersTo(std::string_view name) const {
    std::string id = deviceId();
    if (name == id) return true;
    return std::any_of(ports.begin(), ports.end(),
                       [&](const Port& port) { return port.id == id && port.product == name; });
}

ReportShape Faults::reportShape() const {
    std::string shape = settings.text("report");
    if (shape == "malformed") return ReportShape::Malformed;
    if (shape == "wrong_type") return ReportShape::WrongType;
    if (shape == "wrong_root") return ReportShape::WrongRoot;
    if (shape == "directory") return ReportShape::Directory;
    if (shape == "none") return ReportShape::None;
    return ReportShape::Normal;
}

bool Faults::reportFaultsApplyTo(const std::string& file) const {
    std::string only = settings.text("report_faults_for");
    return only.empty() || only == file;
}

}  // namespace rirador

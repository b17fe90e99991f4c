// The simulated machine: its adapters and the faults it injects, as the
// state file describes them.
//
// Settings are kept as the texts that the state file holds, so a rewrite
// after a flash gives back every key that was written, and an identity is
// reported byte for byte even when it is deliberately malformed.
#pragma once

#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rirador {

inline constexpr const char* StateFileName = "rirador.state";

enum class ValueKind {
    Text,          // any text, reported verbatim
    Port,          // "PORT_ID | MAC | PRODUCT | FUNC", repeatable
    ExitCode,      // 0 to 255; 0 leaves the fault off
    YesNo,         // "yes" or "no"
    Milliseconds,  // 0 to MaxDelayMilliseconds
    ReportShape,   // normal, malformed, wrong_type, wrong_root, directory, none
};

inline constexpr int MaxDelayMilliseconds = 600000;

struct StateKey {
    std::string_view name;
    ValueKind kind;
    std::string_view fallback;  // the value of a key that the file leaves out
};

// The keys of each section, in the order in which a rewrite writes them.
std::span<const StateKey> adapterKeys();
std::span<const StateKey> faultKeys();
const StateKey* findKey(std::span<const StateKey> keys, std::string_view name);

// Why a value does not suit its kind; empty when it does.
std::string valueProblem(ValueKind kind, std::string_view value);

// The written keys of one section, with the section's defaults behind them.
class Settings {
public:
    explicit Settings(std::span<const StateKey> keys) : keys_(keys) {}

    std::span<const StateKey> keys() const { return keys_; }
    bool has(std::string_view key) const { return values_.find(key) != values_.end(); }
    void set(std::string_view key, std::string value) { values_.insert_or_assign(std::string(key), std::move(value)); }
    // The written value, else the key's default.
    std::string text(std::string_view key) const;
    // For the numeric kinds; 0 when the key is not written.
    int number(std::string_view key) const;
    // For the yes/no kind; false when the key is not written.
    bool enabled(std::string_view key) const { return text(key) == "yes"; }

private:
    std::span<const StateKey> keys_;
    std::map<std::string, std::string, std::less<>> values_;
};

struct Port {
    std::string id;
    std::string mac;
    std::string product;
    std::string function = "0";
};

struct Adapter {
    Settings settings{adapterKeys()};
    std::vector<Port> ports;

    std::string deviceId() const { return settings.text("device_id"); }
    // The names a flash may use for this adapter: its device_id, or the
    // product name of a port whose port_id is the device_id (the port that
    // stands for the adapter, after which the utility names it).
    bool answersTo(std::string_view name) const;
};

enum class ReportShape { Normal, Malformed, WrongType, WrongRoot, Directory, None };

struct Faults {
    bool declared = false;  // a [faults] section exists, possibly empty
    Settings settings{faultKeys()};

    ReportShape reportShape() const;
    // Whether the report faults (report, report_file, report_link) apply to
    // a -d run that writes `file`: to every one unless report_faults_for
    // names a single file.
    bool reportFaultsApplyTo(const std::string& file) const;
};

struct Machine {
    std::vector<Adapter> adapters;
    Faults faults;
};

}  // namespace rirador

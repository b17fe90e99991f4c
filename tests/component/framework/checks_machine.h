// The machine that one install-state test sets up: registry values from a
// registry export text, services, the system model. On Linux a fresh
// simulated machine (YKZ_MACHINE) holds them; under Wine the real registry
// and service control manager do, and everything set up is removed again.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

class TestMachine {
public:
    TestMachine();   // a machine with no services, no model and nothing set up
    ~TestMachine();  // removes what the test set up
    TestMachine(const TestMachine&) = delete;
    TestMachine& operator=(const TestMachine&) = delete;

    // True on the simulated machine, whose every fact the test chooses.
    static bool IsSimulated();

    // Imports a registry export ("Windows Registry Editor Version 5.00").
    // On Linux it replaces the registry; under Wine it is imported with
    // regedit and its keys are deleted when the machine goes.
    void ImportRegistry(const std::string& exportText);
    // Registers a service, stopped or running. Under Wine a running service
    // needs a real service program: false, nothing done.
    bool AddService(const std::string& name, bool running);
    // The system model; nothing for a machine without one. Under Wine the
    // model is always "Wine": false, nothing done.
    bool SetModel(const std::optional<std::string>& model);

private:
    struct State;
    std::unique_ptr<State> state_;
};

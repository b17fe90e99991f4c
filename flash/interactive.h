// The default run: offer every supported adapter for update (a y/n/q prompt,
// or the answers of -s, -f and -y), flash the chosen ones, and end with one
// summary line. Also serves the status-only run (-n).
#pragma once

#include <cstdint>
#include <string>

namespace kelvor {

enum Answer : std::uint32_t { AnswerYes = 0, AnswerNo = 1, AnswerQuit = 2 };

std::uint32_t runInteractiveUpdate();

// Shows one adapter, obtains the decision and records it.
void offerAdapter(std::size_t index);

// Classes the adapter, handles -n, shows the warnings and asks.
Answer decideUpdate(std::size_t index);

std::string buildUpdateQuestion(std::size_t index);

// Asks on the console (or answers from -s, -f and -y).
Answer askYesNoQuit(const std::string& question, Answer defaultAnswer, Answer emptyLineAnswer,
                    const std::string& defaultLetter);

}  // namespace kelvor

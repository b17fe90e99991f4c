// The system model: the computer's model name as its maker gives it.
//
// On Windows WMI answers (the "Model" of Win32_ComputerSystem); on Linux the
// DMI product name, of the simulated machine when there is one (its
// "dmi/product_name"), else of this computer. The text is returned as it
// stands, trailing spaces and line ends included.
#pragma once

#include <optional>
#include <string>

namespace platform {

// Nothing when the model cannot be read.
std::optional<std::u16string> system_model();

}  // namespace platform

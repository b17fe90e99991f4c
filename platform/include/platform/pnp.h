// Plug and Play: the hardware ids of the devices present in the machine.
//
// Windows lists every present device of every setup class with its hardware
// ids, most specific first. Linux has PCI devices only: those of the
// simulated machine's "pci" directory when there is one (machine.h), else
// those of /sys/bus/pci/devices, each with the four ids Windows gives a PCI
// device:
//   PCI\VEN_vvvv&DEV_dddd&SUBSYS_ssssnnnn&REV_rr
//   PCI\VEN_vvvv&DEV_dddd&SUBSYS_ssssnnnn
//   PCI\VEN_vvvv&DEV_dddd&CC_ccsspp
//   PCI\VEN_vvvv&DEV_dddd&CC_ccss
// (ssss the subsystem device, nnnn the subsystem vendor, capital hex). An id
// whose parts cannot be read is left out; a device without vendor and
// device is left out altogether.
#pragma once

#include <string>
#include <vector>

namespace platform {

// One device's hardware ids; empty when the system could not give them.
using DeviceHardwareIds = std::vector<std::u16string>;

// Every present device, in the order the system enumerates them. Nothing
// when the system cannot be asked.
std::vector<DeviceHardwareIds> present_device_hardware_ids();

}  // namespace platform

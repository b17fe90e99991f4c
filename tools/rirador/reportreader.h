// Reading back a discovery report for "-u": the adapters it lists.
#pragma once

#include <string>
#include <vector>

namespace rirador {

struct ReportedAdapters {
    bool readable = false;
    std::string problem;                 // why the report cannot be used
    std::vector<std::string> deviceIds;  // devices/device/device_id values, trimmed, in order
};

ReportedAdapters parseReportedAdapters(const std::string& reportText);
ReportedAdapters readReportedAdapters(const std::string& fileName);

}  // namespace rirador

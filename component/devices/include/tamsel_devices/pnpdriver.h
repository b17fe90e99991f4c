// CWin2000PnPDriver: the driver update of a package's Plug and Play devices.
// It gathers the hardware ids to update and the driver files the INF file
// needs, stages those files in the driver store directory and asks the
// system to update the driver of every present device with one of the ids.
#pragma once

#include <cstdint>
#include <string>

#include "cmplog/cstr.h"

// Results of UpdateDrivers.
enum DriverUpdateResult : int {
    DriverUpdateDone = 0,
    // No hardware id was added: nothing to update.
    DriverUpdateNoHardwareIds = 1,
    // The system's driver update library, or its update function, is
    // missing: no device was touched.
    DriverUpdateNoLibrary = 2,
    DriverUpdateNoFunction = 3,
    // The update of at least one present device failed.
    DriverUpdateDeviceFailed = 4,
};

class CWin2000PnPDriver {
public:
    // `infFileName` names the INF file relative to the current directory;
    // `infDirectory` is where the INF file is read to find the driver files
    // (empty: the plug-in's own directory, which is the package directory).
    CWin2000PnPDriver(const char16_t* infFileName, int force, std::u16string infDirectory = {});
    virtual ~CWin2000PnPDriver() = default;

    // Adds an id once.
    void AddHardwareId(const char16_t* hardwareId);
    // Adds a driver file and its compressed-file name ("x.sys" and "x.sy_");
    // empty and listed names are ignored. Always 1.
    int AddDriverFile(const char16_t* name);
    // Adds the INF file, its catalog files and every file its file lists
    // copy, and copies them into `destination`: 0 when a copy failed.
    int CollectDriverFiles(const char16_t* destination);
    // A DriverUpdateResult.
    int UpdateDrivers();

    std::int32_t RebootNeeded() const { return rebootNeeded_; }
    const CStrList& HardwareIds() const { return hardwareIds_; }
    const CStrList& DriverFiles() const { return driverFiles_; }

    // Where the driver files are staged: the system drive's
    // "\YKZSYSTEM\pnpdrvs".
    static CStr DriverStoreDirectory();

private:
    void CollectFileList(class CInf& inf, const CStr& section);

    CStrList hardwareIds_;
    CStrList driverFiles_;
    CStr infFileName_;
    std::int32_t rebootNeeded_ = 0;
    std::int32_t force_;
    std::u16string infDirectory_;
};

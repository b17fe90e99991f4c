// CInf: one INF file of a package, opened through the setup interface. It
// reads the [Version] values and collects the sections that copy files,
// add services and hold software settings; the driver installation works
// on it.
#pragma once

#include <cstdint>

#include "Source/cstr.h"
#include "platform/inf.h"

class CInf {
public:
    // `infFileName` is taken relative to the current directory; `isVirtual`
    // is nonzero for the virtual-device installation.
    CInf(const char16_t* infFileName, int isVirtual);
    virtual ~CInf();

    virtual int IsOpen();

    // The driver installation's operations take the slots from here on:
    // InstallAll, InstallNamedSection, RegisterRootDevice, InstallSection,
    // InstallServices, InstallSoftwareSettings, CopyFileList,
    // CreateStartMenuItems.

    // The [Version] values; null when empty.
    virtual const char16_t* GetSignature();
    virtual const char16_t* GetClass();
    virtual const char16_t* GetClassGuid();
    // Field 1 of the first "AddService" line of `section` (null: the first
    // section that has one) into `buffer`: nonzero when a name was copied. A
    // name that does not fit whole is not copied.
    virtual int GetServiceName(const char16_t* section, char16_t* buffer, std::uint32_t capacity);

    // The driver installation's next slots: GetServiceStartType,
    // ProcessCopyFiles, ProcessDelFiles, ProcessRenFiles, DeleteFileList,
    // RenameFileList, CreateDeviceNode.

    const CStr& GetInfPath() const { return infPath_; }
    const CStr& GetSourceDirectory() const { return sourceDirectory_; }
    const CStrList& GetCopyFilesSections() const { return copyFilesSections_; }
    const CStrList& GetAddServiceSections() const { return addServiceSections_; }
    const CStrList& GetSoftwareSettingsSections() const { return softwareSettingsSections_; }

protected:
    virtual int ReadVersionSection();
    virtual int CollectCopyFilesSections();
    virtual int CollectAddServiceSections();
    virtual int CollectSoftwareSettingsSections();

    // The driver installation's last slots: LoadDestinationDirs,
    // CreateDirectoryForFile, CreateDirectoryPath, CopyToTemporaryName,
    // GetDestinationDir, GetDirIdPath.

    CStrList SectionsWithKey(std::u16string_view key) const;

    // Open to the driver installation's operations, which extend this class.
    std::int32_t virtual_;
    platform::InfFile inf_;
    std::int32_t rebootNeeded_ = 0;
    CStr signature_;
    CStr class_;
    CStr classGuid_;
    CStr infPath_;
    CStr sourceDirectory_;
    CStrList copyFilesSections_;
    CStrList addServiceSections_;
    CStrList softwareSettingsSections_;
    CStrList destinationDirs_;  // key and directory in turn, loaded by the driver installation
};

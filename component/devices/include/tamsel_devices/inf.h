// CInf: one INF file of a package, opened through the setup interface. It
// reads the [Version] values and collects the sections that copy files,
// add services and hold software settings, and installs the package the
// file describes: its file lists (copies, deletions, renames) into the
// directories of [DestinationDirs], its registry entries, services,
// software settings, root device and start-menu shortcuts.
//
// Operations answer 1 for success and 0 for failure. A file that cannot be
// replaced, deleted or renamed because it is in use is handled at the next
// restart instead, and the object then reports that a restart is needed.
//
// A file-list name must stay inside the directory it is joined to: a name
// that is absolute, names a drive or climbs out with ".." fails its list, so
// that an INF file touches no file outside the directories it names.
#pragma once

#include <cstdint>

#include "cmplog/cstr.h"
#include "platform/inf.h"
#include "platform/registry.h"

namespace platform {
class RootDevice;
}

// True when a file name from an INF file stays inside the directory it is
// joined to: it is relative, names no drive and never climbs out with "..".
bool FileNameStaysInside(std::u16string_view name);

class CInf {
public:
    // `infFileName` is taken relative to the current directory; `isVirtual`
    // is nonzero for the virtual-device installation.
    CInf(const char16_t* infFileName, int isVirtual);
    virtual ~CInf();

    virtual int IsOpen();

    // Installs every file-copying section, the root device, every service
    // section and every software-settings section, then the start-menu
    // items. `rebootNeeded` (may be null) receives 1 when the installation
    // succeeded and needs a restart.
    virtual int InstallAll(std::int32_t* rebootNeeded);
    // The same for one named section, its ".Services" and its
    // ".SoftwareSettings" section.
    virtual int InstallNamedSection(const char16_t* section, std::int32_t* rebootNeeded);
    // Creates and installs the service's root device ("LEGACY_NAME", or
    // "NAME" for a virtual device).
    virtual int RegisterRootDevice(std::int32_t* rebootNeeded);
    // The section's file lists, then its registry entries, INI entries and
    // profile items, relative entries going below `root`.
    virtual int InstallSection(const char16_t* section, platform::RegistryRoot root);
    // The section's services; a service that exists already counts as
    // installed.
    virtual int InstallServices(const char16_t* section);
    // The section's registry entries below the service's "Device0" key.
    virtual int InstallSoftwareSettings(const char16_t* section);
    // Copies the files of one file-list section.
    virtual int CopyFileList(const char16_t* section);
    // The shortcuts that the first file-copying section lists (only on a
    // system of major version 4); failures are ignored.
    virtual int CreateStartMenuItems();

    // The [Version] values; null when empty.
    virtual const char16_t* GetSignature();
    virtual const char16_t* GetClass();
    virtual const char16_t* GetClassGuid();
    // Field 1 of the first "AddService" line of `section` (null: the first
    // section that has one) into `buffer`: nonzero when a name was copied. A
    // name that does not fit whole is not copied.
    virtual int GetServiceName(const char16_t* section, char16_t* buffer, std::uint32_t capacity);

    // StartType of the first service's install section; -1 without one.
    virtual int GetServiceStartType();
    // Runs every file list that the section's CopyFiles (DelFiles,
    // RenFiles) lines name; fails at once without [DestinationDirs].
    virtual int ProcessCopyFiles(const char16_t* section);
    virtual int ProcessDelFiles(const char16_t* section);
    virtual int ProcessRenFiles(const char16_t* section);
    virtual int DeleteFileList(const char16_t* section);
    // Each line "new name, old name"; any other number of fields fails.
    virtual int RenameFileList(const char16_t* section);
    // Creates the device node `deviceName` of the INF's class with the
    // INF's class drivers selected.
    virtual int CreateDeviceNode(const char16_t* deviceName, platform::RootDevice& device);

    // 1 once an operation had to wait for the next restart.
    std::int32_t RebootNeeded() const { return rebootNeeded_; }
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
    // [DestinationDirs], read once: 1 when it names at least one directory.
    virtual int LoadDestinationDirs();

public:
    // Creates the directory of a file path, or a directory, with every
    // missing parent.
    virtual int CreateDirectoryForFile(const char16_t* path);
    virtual int CreateDirectoryPath(const char16_t* directory);

protected:
    // Copies `source` to a new temporary name in `directory`.
    virtual int CopyToTemporaryName(const char16_t* source, const char16_t* directory, CStr& temporary);
    // The directory of a file-list section: the only one when there is one,
    // else the section's own, else "DefaultDestDir".
    virtual int GetDestinationDir(const char16_t* section, CStr& directory);

public:
    // The directory of an INF directory id; empty for an unknown id.
    virtual CStr GetDirIdPath(std::uint32_t id);

    const platform::InfFile& File() const { return inf_; }

protected:
    CStrList SectionsWithKey(std::u16string_view key) const;
    // Runs `list` on every field of the section's `key` lines: 0 when one
    // of them failed.
    int ProcessFileLists(const char16_t* section, std::u16string_view key, int (CInf::*list)(const char16_t*));
    // The service name; empty without one.
    CStr ServiceName();
    // The name in field `field` of a file-list line, when it is one that
    // stays inside its directory; and that name joined to the section's
    // destination directory.
    bool LineFileName(const char16_t* section, std::size_t line, std::size_t field, CStr& name);
    bool FilePath(const char16_t* section, std::size_t line, std::size_t field, CStr& path);
    void CreateStartMenuItem(const CStr& shortcutSection);

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
    bool destinationDirsLoaded_ = false;
};

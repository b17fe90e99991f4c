#include "tamsel_devices/pnpdriver.h"

#include "tamsel_devices/inf.h"
#include "platform/fileops.h"
#include "platform/module.h"
#include "platform/setupinf.h"
#include "platform/system.h"
#include "platform/unicode.h"

namespace {

// The install flag that forces the update even when the present driver
// looks better.
constexpr std::uint32_t kInstallFlagForce = 1;

const char16_t* const kCatalogKeys[] = {u"CatalogFile", u"CatalogFile.nt", u"CatalogFile.ntx86", u"CatalogFile.ntia64",
                                        u"CatalogFile.ntamd64"};

// The compressed file that stands for a driver file in a package: the
// extension's last character replaced by "_" when it has more than three
// characters, "_" appended to a shorter one, "._" without an extension.
std::u16string CompressedName(std::u16string_view name) {
    std::size_t dot = name.find_last_of(u'.');
    std::u16string compressed(name);
    if (dot == std::u16string_view::npos) return compressed + u"._";
    if (name.size() - dot > 3) {
        compressed.back() = u'_';
        return compressed;
    }
    return compressed + u"_";
}

}  // namespace

CWin2000PnPDriver::CWin2000PnPDriver(const char16_t* infFileName, int force, std::u16string infDirectory)
    : infFileName_(infFileName), force_(force != 0 ? 1 : 0), infDirectory_(std::move(infDirectory)) {
    if (infDirectory_.empty()) infDirectory_ = platform::utf8_to_utf16(platform::this_module_directory());
}

void CWin2000PnPDriver::AddHardwareId(const char16_t* hardwareId) {
    if (hardwareId == nullptr || *hardwareId == u'\0') return;
    for (const CStr& listed : hardwareIds_)
        if (listed == std::u16string_view(hardwareId)) return;
    hardwareIds_.emplace_back(hardwareId);
}

int CWin2000PnPDriver::AddDriverFile(const char16_t* name) {
    if (name == nullptr || *name == u'\0') return 1;
    for (const CStr& listed : driverFiles_)
        if (listed == std::u16string_view(name)) return 1;
    driverFiles_.insert(driverFiles_.end(), {CStr(name), CStr(CompressedName(name))});
    return 1;
}

void CWin2000PnPDriver::CollectFileList(CInf& inf, const CStr& section) {
    const platform::InfFile& file = inf.File();
    std::size_t lines = file.line_count(section);
    for (std::size_t line = 0; line < lines; ++line) {
        std::u16string renamed = file.field(section, line, 2).value_or(u"");
        AddDriverFile((renamed.empty() ? file.field(section, line, 1).value_or(u"") : renamed).c_str());
    }
}

int CWin2000PnPDriver::CollectDriverFiles(const char16_t* destination) {
    if (destination == nullptr) return 0;
    AddDriverFile(infFileName_.c_str());
    CInf inf((infDirectory_ + u"\\" + infFileName_.str()).c_str(), 0);
    const platform::InfFile& file = inf.File();
    for (const char16_t* key : kCatalogKeys)
        if (std::optional<std::size_t> line = file.find_line(u"Version", key))
            AddDriverFile(file.field(u"Version", *line, 1).value_or(u"").c_str());
    for (const std::u16string& section : file.section_names())
        for (std::optional<std::size_t> line = file.find_line(section, u"CopyFiles"); line;
             line = file.find_line(section, u"CopyFiles", *line + 1))
            for (std::size_t index = 1; index <= file.field_count(section, *line); ++index) {
                std::u16string field = file.field(section, *line, index).value_or(u"");
                if (!field.empty() && field[0] == u'@')
                    AddDriverFile(field.c_str() + 1);
                else if (file.line_count(field) > 0)
                    CollectFileList(inf, CStr(field));
            }

    inf.CreateDirectoryPath(destination);
    int result = 1;
    CStr directory(destination);
    for (const CStr& name : driverFiles_) {
        // A name that leaves the store is not copied: the store holds the
        // package's files and nothing lands beside it.
        if (!FileNameStaysInside(name.str())) {
            result = 0;
            continue;
        }
        CStr target = directory + u"\\" + name.str();
        inf.CreateDirectoryForFile(target.c_str());
        platform::make_file_writable(target.str());
        if (platform::copy_file_status(name.str(), target.str(), false) != 0) result = 0;
    }
    return result;
}

CStr CWin2000PnPDriver::DriverStoreDirectory() {
    std::u16string windows = platform::utf8_to_utf16(platform::windows_directory());
    std::size_t colon = windows.find(u':');
    std::u16string drive = colon == std::u16string::npos ? std::u16string() : windows.substr(0, colon + 1);
    return CStr(drive + u"\\YKZSYSTEM\\pnpdrvs");
}

int CWin2000PnPDriver::UpdateDrivers() {
    if (hardwareIds_.empty()) return DriverUpdateNoHardwareIds;
    platform::DriverUpdateLibrary library;
    switch (library.load()) {
        case platform::DriverUpdateLoad::no_library:
            return DriverUpdateNoLibrary;
        case platform::DriverUpdateLoad::no_function:
            return DriverUpdateNoFunction;
        case platform::DriverUpdateLoad::ok:
            break;
    }
    CStr store = DriverStoreDirectory();
    CollectDriverFiles(store.c_str());
    CStr infPath = store + u"\\" + infFileName_.str();
    bool allDone = true;
    for (const CStr& id : hardwareIds_) {
        bool reboot = false;
        if (!library.update(id.str(), infPath.str(), force_ != 0 ? kInstallFlagForce : 0, reboot)) allDone = false;
        if (reboot) rebootNeeded_ = 1;
    }
    return allDone ? DriverUpdateDone : DriverUpdateDeviceFailed;
}

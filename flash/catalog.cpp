#include "kelvor_core/catalog.h"
#include "kelvor_core/log.h"
#include "kelvor_core/runstate.h"
#include "xmlvalues.h"

#include "platform/ascii.h"
#include "kelvor_xml/dom.h"

#include <string_view>

namespace kelvor {

namespace {

constexpr const char* CatalogRoot = "nic_fw_package";

// The seven attributes of an entry, read in one walk over its attributes: a
// name counts without regard to case, and the first attribute of a name wins.
CatalogEntry readEntry(const dom::DomNode& node) {
    CatalogEntry entry;
    std::string_view CatalogEntry::*const fields[] = {&CatalogEntry::name,     &CatalogEntry::venid,
                                                 &CatalogEntry::devid,    &CatalogEntry::subvenid,
                                                 &CatalogEntry::subdevid, &CatalogEntry::rom,
                                                 &CatalogEntry::fwFile};
    constexpr std::string_view names[] = {"name", "venid", "devid", "subvenid", "subdevid", "rom", "fwFile"};
    // A missing attribute, or one written without a value, reads as one blank.
    for (auto field : fields) entry.*field = " ";
    bool seen[std::size(names)] = {};
    for (int i = 0, count = node.attribute_count(); i < count; ++i) {
        std::string_view attribute = node.attribute_name(i);
        for (std::size_t f = 0; f < std::size(names); ++f) {
            // Catalogs spell the names as listed, so an exact match is tried
            // before the letter-case-blind one, and a length apart is no match.
            if (seen[f] || attribute.size() != names[f].size()) continue;
            if (attribute != names[f] && !platform::equals_ignoring_case(attribute, names[f])) continue;
            seen[f] = true;
            if (const char* value = node.attribute_value_at(i)) entry.*fields[f] = value;
            break;
        }
    }
    if (!entry.rom.empty()) entry.romVersion = parseVersion(entry.rom);
    return entry;
}

void storeEntry(const dom::DomNode& node) {
    RunState& state = runState();
    CatalogEntry entry = readEntry(node);
    if (!entry.fwFile.empty() && !state.firstImageFileSet) {
        state.firstImageFile = entry.fwFile;
        state.firstImageFileSet = true;
    }
    std::string key = catalogKey(entry.venid, entry.devid, entry.subvenid, entry.subdevid);
    state.catalog.insert_or_assign(std::move(key), std::move(entry));
}

}  // namespace

std::string catalogKey(std::string_view venid, std::string_view devid, std::string_view subvenid,
                       std::string_view subdevid) {
    const std::string_view identities[] = {venid, devid, subvenid, subdevid};
    std::size_t length = 3;
    for (std::string_view identity : identities) length += identity.size() < 4 ? 4 : identity.size();
    // Sized once and filled in place: the catalog builds one key per model.
    std::string key(length, ' ');
    char* out = key.data();
    for (std::size_t i = 0; i < std::size(identities); ++i) {
        std::string_view identity = identities[i];
        if (i > 0) *out++ = '-';
        if (identity.size() < 4) out += 4 - identity.size();
        identity.copy(out, identity.size());
        out += identity.size();
    }
    return key;
}

namespace {

// "%04X" of one identity, written at out; returns the end.
char* writeHex(char* out, std::uint32_t value) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    char digits[8];
    int count = 0;
    do {
        digits[count++] = Digits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    for (int pad = count; pad < 4; ++pad) *out++ = '0';
    while (count > 0) *out++ = digits[--count];
    return out;
}

}  // namespace

std::string pciKey(std::uint32_t venid, std::uint32_t devid, std::uint32_t subvenid, std::uint32_t subdevid) {
    char key[4 * 9];
    char* out = writeHex(key, venid);
    *out++ = '-';
    out = writeHex(out, devid);
    *out++ = '-';
    out = writeHex(out, subvenid);
    *out++ = '-';
    out = writeHex(out, subdevid);
    return std::string(key, out);
}

namespace {

int storeCatalog(const dom::DomNode& root, const dom::DomParseResult& result) {
    if (result.error != dom::DomError::None) {
        LogLine log;
        log << "\n\nLoading configuration file " << CatalogFileName
            << " Error code: " << static_cast<int>(result.error) << "\n";
        if (result.error == dom::DomError::FileNotFound)
            log << "File Not found!- Please make sure " << CatalogFileName << " is available.";
        log.emit(false);
        return 0;
    }
    // The entries view the document's text, so it stays as long as they do.
    runState().catalogDocuments.push_back(root);
    // Room for every entry at once, rather than rehashing as the map grows.
    int groups = root.child_count();
    std::size_t entries = runState().catalog.size();
    for (int i = 0; i < groups; ++i) entries += static_cast<std::size_t>(root.child_at(i).child_count());
    runState().catalog.reserve(entries);
    for (int i = 0; i < groups; ++i) {
        dom::DomNode group = root.child_at(i);
        if (!hasName(group, "nic")) continue;
        for (int j = 0, count = group.child_count(); j < count; ++j) {
            dom::DomNode entry = group.child_at(j);
            if (hasName(entry, "nic")) storeEntry(entry);
        }
    }
    return 0;
}

}  // namespace

int loadCatalog() {
    dom::DomParseResult result;
    dom::DomNode root = dom::parse_file(CatalogFileName, CatalogRoot, &result);
    return storeCatalog(root, result);
}

int loadCatalogBytes(std::string_view bytes) {
    dom::DomParseResult result;
    dom::DomNode root = dom::parse_bytes(bytes, CatalogRoot, &result);
    return storeCatalog(root, result);
}

const CatalogEntry* lookupCatalog(const std::string& key) {
    const auto& catalog = runState().catalog;
    auto found = catalog.find(key);
    if (found == catalog.end()) {
        LogLine log;
        log << "PCI Id " << key << " details could not find with " << CatalogFileName;
        log.emit(false);
        return nullptr;
    }
    return &found->second;
}

}  // namespace kelvor

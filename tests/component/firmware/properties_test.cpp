// The host's property questions and the hand-over of its log.
#include "firmware_fixture.h"
#include "platform/process.h"
#include "platform/unicode.h"

namespace {

namespace fs = std::filesystem;
using firmwaretest::PackageTest;
using firmwaretest::Utf8;

std::string PackageXml(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<ykz_package>\n" + body + "\n</ykz_package>\n";
}

class Properties : public PackageTest {
protected:
    // A component that read the package definition `body`.
    std::unique_ptr<CComponent> Component(const std::string& body) {
        testsupport::writeFile(dir_ / "ykp3pfw.xml", PackageXml(body));
        auto component = std::make_unique<CComponent>();
        EXPECT_EQ(component->ReadPackageDefinition(u"ykp3pfw.xml"), 0);
        return component;
    }
};

TEST_F(Properties, NumbersAndUnknownIds) {
    const std::pair<std::string, std::int32_t> silent[] = {
        {"<installation><install><install_caps silent=\"yes\"/></install></installation>", 1},
        {"<installation><install><install_caps silent=\"YES\"/></install></installation>", 1},
        {"<installation><install><install_caps silent=\"true\"/></install></installation>", 0},
        {"<installation><install><install_caps/></install></installation>", 1},
    };
    for (const auto& [body, expected] : silent) {
        std::unique_ptr<CComponent> component = Component(body);
        for (std::uint32_t id : {6u, 7u}) {
            std::int32_t value = -1;
            EXPECT_EQ(component->GetProperty(id, &value, 0, nullptr), 1);
            EXPECT_EQ(value, expected) << body;
        }
    }
    std::unique_ptr<CComponent> component = Component("");
    std::int32_t value = -1;
    EXPECT_EQ(component->GetProperty(8, &value, 0, nullptr), 1);
    EXPECT_EQ(value, 1);
    for (std::uint32_t id : {0u, 10u, 0xFFFFFFFFu}) {
        value = -1;
        EXPECT_EQ(component->GetProperty(id, &value, sizeof value, u"en"), 0) << id;
        EXPECT_EQ(value, -1);
    }
    for (std::uint32_t id = 1; id <= 9; ++id) EXPECT_EQ(component->GetProperty(id, nullptr, 2052, u"en"), 0) << id;
}

TEST_F(Properties, TextsBySizeAndLanguage) {
    std::unique_ptr<CComponent> component = Component(
        "<name><name_xlate lang=\"en\">Firmware</name_xlate><name_xlate lang=\"de\">Firmware DE</name_xlate>"
        "</name><version value=\"4.0.550\"/>");
    char16_t text[64] = {};
    struct Case {
        std::uint32_t id, size;
        const char16_t* language;
        std::int32_t result;
        std::string text;
    };
    const Case cases[] = {
        {1, 64, u"DE", 1, "Firmware DE"},
        {1, 64, u"ja", 1, "Firmware"},
        {1, 64, nullptr, 1, "Firmware"},
        {1, 8, u"en", 0, ""},
        {1, 9, u"en", 1, "Firmware"},
        {3, 24, nullptr, 0, ""},
        {3, 25, nullptr, 1, "See Information below.\r\n"},
        {4, 64, nullptr, 1, "4.0.550"},
    };
    for (const Case& c : cases) {
        std::fill(std::begin(text), std::end(text), u'\0');
        EXPECT_EQ(component->GetProperty(c.id, text, c.size, c.language), c.result) << c.id << " " << c.size;
        EXPECT_EQ(Utf8(text), c.text) << c.id << " " << c.size;
    }
    std::unique_ptr<CComponent> noEnglish =
        Component("<name><name_xlate lang=\"fr\">Micrologiciel</name_xlate></name>");
    EXPECT_EQ(noEnglish->GetProperty(1, text, 64, u"ja"), 0);
    EXPECT_EQ(noEnglish->GetProperty(1, text, 64, nullptr), 1);
    EXPECT_EQ(Utf8(text), "Micrologiciel");

    InstallState record;
    record.status = 42;
    EXPECT_EQ(component->GetProperty(5, &record, 2051, u"en"), 0);
    EXPECT_EQ(record.status, 42);
}

fs::path Native(const char16_t* directory, const std::u16string& name) {
    return fs::path(platform::native_path(Utf8(std::u16string(directory) + name)));
}

TEST_F(Properties, LogHandOver) {
    const std::string executable = "Handover" + std::to_string(platform::current_process_id());
    const std::string body = "<filename>" + executable + ".exe</filename>";
    CCmpLog host;
    host.SetVerbose(1);
    ASSERT_EQ(host.Open(), 0);
    host.Write(CmpLogVerboseLevel, CmpLogInformation, nullptr, 0, u"host before\r\n");
    const fs::path hostFile = Native(host.GetVerboseLogDirectory(), host.GetVerboseLogName());
    const fs::path finalFile = Native(host.GetVerboseLogDirectory(), platform::utf8_to_utf16(executable + ".exe.log"));
    char16_t text[64] = {};

    // Without a verbose log of its own the component keeps its log.
    std::unique_ptr<CComponent> quiet = Component(body);
    EXPECT_EQ(quiet->GetProperty(9, &host, 0, nullptr), 1);
    EXPECT_NE(quiet->Log(), &host);
    EXPECT_TRUE(fs::exists(hostFile));

    std::unique_ptr<CComponent> component = Component(body);
    component->Log()->SetVerbose(1);
    ASSERT_EQ(component->Log()->Open(), 0);
    const fs::path ownFile = Native(component->Log()->GetVerboseLogDirectory(), component->Log()->GetVerboseLogName());
    component->GetCurrentVersion(text, 64);
    ASSERT_TRUE(fs::exists(ownFile));

    EXPECT_EQ(component->GetProperty(9, &host, 0, nullptr), 1);
    EXPECT_EQ(component->Log(), &host);
    EXPECT_FALSE(fs::exists(ownFile));
    EXPECT_FALSE(fs::exists(hostFile));
    component->IsInstalled();  // a later line lands in the host's log
    EXPECT_EQ(component->GetProperty(9, &host, 0, nullptr), 1) << "a second hand-over changes nothing";
    component.reset();  // the host's log outlives the component
    host.Write(CmpLogVerboseLevel, CmpLogInformation, nullptr, 0, u"host after\r\n");
    host.Close();

    std::string verbose = testsupport::readText(finalFile);
    std::vector<std::string> order = {"host before", "component[42] Entering Tamsec_zar3i::GetCurrentVersion",
                                      "component[204] Enter Tamsec_zar3i::IsInstalled", "host after"};
    std::size_t at = 0;
    for (const std::string& part : order) {
        at = verbose.find(part, at);
        EXPECT_NE(at, std::string::npos) << part << " in\n" << verbose;
    }
    fs::remove(finalFile);
}

}  // namespace

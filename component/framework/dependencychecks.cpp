// The dependency list: the system models that the package is released for,
// from "dependency.xml" in the package directory, against the model the
// system reports.
#include <optional>
#include <string>

#include "tamsel_framework/basecomp.h"
#include "tamsel_framework/installstate.h"
#include "platform/sysmodel.h"
#include "platform/wpaths.h"

namespace {

// Models are compared in buffers of this many units, terminator included.
constexpr std::size_t ModelUnits = 255;

std::u16string ComparableModel(std::u16string_view model) {
    char16_t buffer[ModelUnits] = {};
    std::size_t length = CopyToBuffer(buffer, ModelUnits, model);
    std::u16string text(buffer, length);
    std::size_t end = text.find_last_not_of(u"\t\n\r ");
    text.erase(end == std::u16string::npos ? 0 : end + 1);
    return text;
}

// The system model is read once per check, and only when a platform is
// there to compare with it.
class SystemModelQuery {
public:
    const std::optional<std::u16string>& Model() {
        if (!asked_) {
            model_ = platform::system_model();
            asked_ = true;
        }
        return model_;
    }

private:
    bool asked_ = false;
    std::optional<std::u16string> model_;
};

// The platforms: the first "platform" element, then every element after it.
// A platform without a model attribute matches no model.
bool AnyPlatformMatches(CYkzXMLNode* platforms, SystemModelQuery& query) {
    for (CYkzXMLNode* platform = platforms->FindChild(u"platform"); platform != nullptr;
         platform = platform->GetNextSibling()) {
        if (platform->GetType() != CYkzXMLNode::TypeElement) continue;
        const char16_t* model = platform->GetAttribute(u"model");
        if (model != nullptr && ModelsEqual(model, query.Model())) return true;
    }
    return false;
}

}  // namespace

bool ModelsEqual(std::u16string_view platformModel, const std::optional<std::u16string>& systemModel) {
    if (!systemModel) return false;
    return EqualsNoCase(ComparableModel(platformModel), ComparableModel(*systemModel));
}

std::int32_t CBaseComponent::CheckDependencyList(char16_t* message, std::uint32_t capacity, const char16_t*) {
    SystemModelQuery query;
    CYkzXMLReader reader;
    bool passed = true;
    // Only a package without the list is free of a model restriction. A
    // list that is there but cannot be read (damaged, cut, a directory, a
    // refused entity expansion) may restrict the package to other models:
    // it passes nothing rather than everything.
    if (platform::path_exists(u"dependency.xml")) {
        bool loaded = reader.LoadFile(u"dependency.xml") == CYkzXMLReader::LoadOk && reader.IsLoaded();
        CYkzXMLNode* list = loaded ? reader.FindElement(nullptr, u"componentdependencies") : nullptr;
        CYkzXMLNode* hardware = list != nullptr ? reader.FindElement(list, u"dependent_hardware") : nullptr;
        CYkzXMLNode* platforms = hardware != nullptr ? reader.FindElement(hardware, u"platforms") : nullptr;
        passed = platforms != nullptr && AnyPlatformMatches(platforms, query);
    }
    dependencyListEvaluated_ = 1;
    dependencyListResult_ = passed ? 1 : 0;
    if (!passed) CopyToBuffer(message, capacity, SystemModelNotSupported);
    return passed ? 1 : 0;
}

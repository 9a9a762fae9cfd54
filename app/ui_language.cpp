#include "ui_language.h"

#include "framework/resources.h"

namespace language {

kiv::String normalized(const kiv::String& setting) {
    if (setting == u"zh" || setting == u"en") return setting;
    return kiv::String();
}

LANGID choose(const kiv::String& setting, LANGID userUi) {
    if (setting == u"zh") return fw::kChineseResources;
    if (setting == u"en") return fw::kEnglishResources;
    // Traditional Chinese readers get the Simplified set: closer to them than English.
    return PRIMARYLANGID(userUi) == LANG_CHINESE ? fw::kChineseResources : fw::kEnglishResources;
}

void apply(const kiv::String& setting) {
    const LANGID chosen = choose(setting, ::GetUserDefaultUILanguage());
    fw::setResourceLanguage(chosen);
    // The system's own texts (message box buttons) follow where Windows can.
    ::SetThreadUILanguage(chosen);
}

}  // namespace language

#include "style/StyleSettings.h"

#include "model/Text.h"
#include "model/VantorError.h"

#include <exception>

namespace vantor {

std::string ReadStyleSetting(SettingsStore& store, std::string_view name)
{
    const std::string key(name);
    try {
        return store.readValue(key);
    } catch (const Error&) {
        // The store already names the failure ("Invalid data type ..." / "Failed to get data ...").
        throw;
    } catch (const std::exception&) {
        throw Error("Failed to get data for '" + key + "'");
    }
}

void WriteStyleSetting(SettingsStore& store, std::string_view name, const std::string& value)
{
    const std::string key(name);
    try {
        store.writeValue(key, value);
    } catch (const std::exception&) {
        // Whatever the store's reason (no location, read-only file, full disk), the user reads one text.
        throw Error("Failed to set data for '" + key + "'");
    }
}

void WriteDefaultStyleSettings(SettingsStore& store)
{
    WriteStyleSetting(store, kSrtFontColorD, "#FFFFFF");
    WriteStyleSetting(store, kSrtFontNameD, "黑体");
    WriteStyleSetting(store, kSrtFontSizeD, "18");
    WriteStyleSetting(store, kSrtFontPosLD, "");
    WriteStyleSetting(store, kSrtFontPosUD, "");
    WriteStyleSetting(store, kSrtDefault, "1");
    WriteStyleSetting(store, kSrtBord, "bord0");
    WriteStyleSetting(store, kSrtShad, "Shad3");
}

void WriteDefaultFlag(SettingsStore& store, const std::string& defaultStyleFlag)
{
    WriteStyleSetting(store, kSrtDefault, defaultStyleFlag);
}

void SaveStyleSettings(SettingsStore& store, const std::string& colourCaption, const std::string& nameCaption,
    const std::string& sizeCaption, const std::string& leftText, const std::string& topText)
{
    WriteStyleSetting(store, kSrtFontColor, colourCaption);
    WriteStyleSetting(store, kSrtFontName, nameCaption);
    WriteStyleSetting(store, kSrtFontSize, sizeCaption);
    WriteStyleSetting(store, kSrtFontPosL, trimControl(leftText));
    WriteStyleSetting(store, kSrtFontPosU, trimControl(topText));
}

} // namespace vantor

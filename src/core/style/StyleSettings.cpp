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

void writeStyleSetting(SettingsStore& store, std::string_view name, const std::string& value)
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
    writeStyleSetting(store, kSrtFontColorD, "#FFFFFF");
    writeStyleSetting(store, kSrtFontNameD, "黑体");
    writeStyleSetting(store, kSrtFontSizeD, "18");
    writeStyleSetting(store, kSrtFontPosLD, "");
    writeStyleSetting(store, kSrtFontPosUD, "");
    writeStyleSetting(store, kSrtDefault, "1");
    writeStyleSetting(store, kSrtBord, "bord0");
    writeStyleSetting(store, kSrtShad, "Shad3");
}

void WriteDefaultFlag(SettingsStore& store, const std::string& defaultStyleFlag)
{
    writeStyleSetting(store, kSrtDefault, defaultStyleFlag);
}

void SaveStyleSettings(SettingsStore& store, const std::string& colourCaption, const std::string& nameCaption,
    const std::string& sizeCaption, const std::string& leftText, const std::string& topText)
{
    writeStyleSetting(store, kSrtFontColor, colourCaption);
    writeStyleSetting(store, kSrtFontName, nameCaption);
    writeStyleSetting(store, kSrtFontSize, sizeCaption);
    writeStyleSetting(store, kSrtFontPosL, trimControl(leftText));
    writeStyleSetting(store, kSrtFontPosU, trimControl(topText));
}

} // namespace vantor

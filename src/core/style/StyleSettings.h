#pragma once

#include "ports/SettingsStore.h"

#include <string>
#include <string_view>

namespace vantor {

// The thirteen values of the style settings, standing directly in the user's shared settings location.
inline constexpr std::string_view kSrtFontColor = "srtFontColor";
inline constexpr std::string_view kSrtFontName = "srtFontName";
inline constexpr std::string_view kSrtFontSize = "srtFontSize";
inline constexpr std::string_view kSrtFontPosL = "srtFontPosL";
inline constexpr std::string_view kSrtFontPosU = "srtFontPosU";
inline constexpr std::string_view kSrtFontColorD = "srtFontColorD";
inline constexpr std::string_view kSrtFontNameD = "srtFontNameD";
inline constexpr std::string_view kSrtFontSizeD = "srtFontSizeD";
inline constexpr std::string_view kSrtFontPosLD = "srtFontPosLD";
inline constexpr std::string_view kSrtFontPosUD = "srtFontPosUD";
inline constexpr std::string_view kSrtDefault = "srtDefault";
inline constexpr std::string_view kSrtBord = "srtBord";
inline constexpr std::string_view kSrtShad = "srtShad";

// The value's text, empty when absent. A store failure that is not already one of the store's read
// errors becomes "Failed to get data for '<name>'".
std::string ReadStyleSetting(SettingsStore& store, std::string_view name);

// Writes one value; any failure becomes "Failed to set data for '<name>'" and stops the caller there.
void writeStyleSetting(SettingsStore& store, std::string_view name, const std::string& value);

// srtFontColorD "#FFFFFF", srtFontNameD "黑体", srtFontSizeD "18", srtFontPosLD "", srtFontPosUD "",
// srtDefault "1", srtBord "bord0", srtShad "Shad3", in this order. Values written before a failing
// write stay written.
void WriteDefaultStyleSettings(SettingsStore& store);

// srtDefault := the dialog's DefaultStyleFlag.
void WriteDefaultFlag(SettingsStore& store, const std::string& defaultStyleFlag);

// The five custom values from what the dialog shows: the three captions exactly as shown, the two
// position texts trimmed. Written in the order colour, name, size, left, top.
void SaveStyleSettings(SettingsStore& store, const std::string& colourCaption, const std::string& nameCaption,
    const std::string& sizeCaption, const std::string& leftText, const std::string& topText);

} // namespace vantor

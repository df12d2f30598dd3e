#pragma once

#include <cstdint>
#include <string>

namespace vantor {

// Seconds from the start of the media, in 80-bit extended precision; the player exchanges doubles.
using Seconds = long double;

// The main window's working state for the whole run. Every field is zero, empty or false at start.
// Texts are UTF-8 (they come from and go to the window's fields); documents hold code-page bytes.
struct CaptureSession {
    Seconds StartSeconds = 0;
    Seconds EndSeconds = 0;
    Seconds WrapSeconds = 0;
    std::string WrapTimeCode;
    Seconds ResumeSeconds = 0;
    std::string ResumeStartText;
    std::string ResumeEndText;
    bool ResumePending = false;
    std::int32_t EntryCount = 0;
    std::string PlayerPositionText;
    std::string PositionSecondsText;
    std::string RawTimeCode;
    bool Loading = false;
    bool CustomStyle = false;
    bool EditMode = false;
    std::int32_t CaretLine = 0;
    std::string SelectedLineText;
    std::string VideoBaseName;
    std::string VideoDir;
    std::string SubtitleFileName;
    std::string FormattedPath;
};

} // namespace vantor

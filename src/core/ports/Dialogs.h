#pragma once

#include <optional>
#include <string>

namespace vantor {

// Modal dialogs and message boxes the core asks for. Texts are UTF-8.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // The open-file dialog without a file-type filter; nothing when cancelled.
    virtual std::optional<std::string> chooseOpenFile() = 0;
    // A question with an information icon and the buttons Yes and No; true only for Yes.
    virtual bool askYesNo(const std::string& text) = 0;
    // The timing dialog: the reaction-time offset in milliseconds (0–1000), shown with `currentMs`; the
    // value chosen, or nothing when cancelled.
    virtual std::optional<int> askReactionOffset(int currentMs) = 0;
    // The application's error report: a message box titled with the application title.
    virtual void reportError(const std::string& text) = 0;
};

// Titles the application's error boxes and names its task-bar entry.
inline constexpr const char* kApplicationTitle = "SRT外挂字幕制作";

} // namespace vantor

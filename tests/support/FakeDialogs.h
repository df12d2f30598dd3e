#pragma once

#include "ports/Dialogs.h"

#include <optional>
#include <string>
#include <vector>

namespace vantor::test {

class FakeDialogs : public Dialogs {
public:
    std::optional<std::string> fileToOpen;
    bool answerYes = true;
    std::vector<std::string> questions;
    std::vector<std::string> errors;
    int openDialogs = 0;
    // What the timing dialog answers (nothing: cancelled), and the offsets it was shown with.
    std::optional<int> reactionOffset;
    std::vector<int> offsetDialogs;

    std::optional<std::string> chooseOpenFile() override
    {
        ++openDialogs;
        return fileToOpen;
    }
    bool askYesNo(const std::string& text) override
    {
        questions.push_back(text);
        return answerYes;
    }
    std::optional<int> askReactionOffset(int currentMs) override
    {
        offsetDialogs.push_back(currentMs);
        return reactionOffset;
    }
    void reportError(const std::string& text) override { errors.push_back(text); }
};

} // namespace vantor::test

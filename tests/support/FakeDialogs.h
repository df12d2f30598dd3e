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
    void reportError(const std::string& text) override { errors.push_back(text); }
};

} // namespace vantor::test

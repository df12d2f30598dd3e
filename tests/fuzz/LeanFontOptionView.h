#pragma once

#include "style/FontOptionView.h"
#include "style/FontOptions.h"

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantor::fuzz {

// A font dialog window as tests/support's FakeFontOptionView lays it out (box ticked, positions "190" and
// "270", empty captions), keeping only what the behaviour reads back: the box, the texts, the picked list
// items and the colour chooser's answer. The fake's records of every call took about a fifth of the
// restyle target's time.
class LeanFontOptionView : public FontOptionView {
public:
    LeanFontOptionView()
    {
        texts[index(FontOptionControl::Edit1)] = "190";
        texts[index(FontOptionControl::Edit2)] = "270";
    }

    void attach(FontOptions& attached) override { handlers = &attached; }
    bool isDefaultTicked() const override { return ticked; }
    void setDefaultTicked(bool value) override { ticked = value; }
    std::string text(FontOptionControl control) const override
    {
        const bool list = control == FontOptionControl::FontNameComboBox
            || control == FontOptionControl::FontSizeComboBox;
        return list ? picked[index(control)] : texts[index(control)];
    }
    void setText(FontOptionControl control, const std::string& value) override
    {
        texts[index(control)] = value;
    }
    void setColorPanelColor(std::uint32_t) override { }
    void setEnabled(FontOptionControl, bool) override { }
    void setVisible(FontOptionControl, bool) override { }
    // Replacing a list's items leaves no item picked.
    void setItems(FontOptionControl list, const std::vector<std::string>&) override
    {
        picked[index(list)].clear();
    }
    void setFocus(FontOptionControl) override { }
    std::vector<std::string> screenFontFamilies() const override
    {
        return { "DejaVu Sans", "Noto Sans CJK SC", "ar pl ukai cn" };
    }
    std::optional<std::uint32_t> runColorDialog(std::uint32_t) override
    {
        const auto answer = chooserAnswer;
        chooserAnswer.reset();
        return answer;
    }
    // Showing runs FormShow, and the user's actions run while the window is shown.
    void showModal() override
    {
        shown = true;
        run([this] { handlers->FormShow(); });
        if (whileModal && shown)
            whileModal(*this);
        shown = false;
    }
    void hideDialog() override { shown = false; }

    // As the window's slots run a handler: a failure goes to the error box.
    void run(const std::function<void()>& handler)
    {
        try {
            handler();
        } catch (const std::exception&) {
            ++errorsReported;
        }
    }
    void closeBox()
    {
        run([this] { handlers->FormClose(); });
        shown = false;
    }
    void pick(FontOptionControl list, const std::string& item) { picked[index(list)] = item; }

    static std::size_t index(FontOptionControl control) { return static_cast<std::size_t>(control); }

    FontOptions* handlers = nullptr;
    bool ticked = true;
    bool shown = false;
    int errorsReported = 0;
    std::array<std::string, 10> texts;
    std::array<std::string, 10> picked;
    std::optional<std::uint32_t> chooserAnswer;
    std::function<void(LeanFontOptionView&)> whileModal;
};

class LeanFontOptionViewFactory : public FontOptionViewFactory {
public:
    std::unique_ptr<FontOptionView> createFontOptionView() override
    {
        auto view = std::make_unique<LeanFontOptionView>();
        view->whileModal = whileModal;
        return view;
    }
    // Given to each window made from now on.
    std::function<void(LeanFontOptionView&)> whileModal;
};

} // namespace vantor::fuzz

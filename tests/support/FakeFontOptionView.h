#pragma once

#include "style/FontOptionView.h"
#include "style/FontOptions.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vantor::test {

// One font dialog window as plain state, laid out as a new window is: box ticked, positions "190" and
// "270", empty captions, lists empty and hidden. Records focus changes, colour chooser runs and the
// modal show, and can answer the chooser from a queue.
class FakeFontOptionView : public FontOptionView {
public:
    FakeFontOptionView()
    {
        texts[FontOptionControl::Edit1] = "190";
        texts[FontOptionControl::Edit2] = "270";
        for (FontOptionControl c : { FontOptionControl::CheckBoxDefault, FontOptionControl::SaveButton,
                 FontOptionControl::Panel2, FontOptionControl::PanelColor, FontOptionControl::PanelName,
                 FontOptionControl::PanelSize, FontOptionControl::Edit1, FontOptionControl::Edit2,
                 FontOptionControl::FontNameComboBox, FontOptionControl::FontSizeComboBox }) {
            enabled[c] = true;
            visible[c] = true;
        }
        visible[FontOptionControl::FontNameComboBox] = false;
        visible[FontOptionControl::FontSizeComboBox] = false;
    }

    void attach(FontOptions& attached) override { handlers = &attached; }

    bool isDefaultTicked() const override { return ticked; }
    void setDefaultTicked(bool value) override
    {
        ticked = value;
        tickHistory.push_back(value);
    }
    std::string text(FontOptionControl control) const override
    {
        if (control == FontOptionControl::FontNameComboBox
            || control == FontOptionControl::FontSizeComboBox) {
            const auto found = selected.find(control);
            return found == selected.end() ? std::string() : found->second;
        }
        const auto found = texts.find(control);
        return found == texts.end() ? std::string() : found->second;
    }
    void setText(FontOptionControl control, const std::string& value) override
    {
        texts[control] = value;
        textHistory.emplace_back(control, value);
    }
    void setColorPanelColor(std::uint32_t colour) override { panelColour = colour; }
    void setEnabled(FontOptionControl control, bool value) override { enabled[control] = value; }
    void setVisible(FontOptionControl control, bool value) override { visible[control] = value; }
    void setItems(FontOptionControl list, const std::vector<std::string>& values) override
    {
        items[list] = values;
        selected.erase(list);
        itemCalls.emplace_back(list, values.size());
    }
    void setFocus(FontOptionControl control) override
    {
        focused = control;
        focusHistory.push_back(control);
    }
    std::vector<std::string> screenFontFamilies() const override { return families; }
    std::optional<std::uint32_t> runColorDialog(std::uint32_t initial) override
    {
        chooserOpenedOn.push_back(initial);
        if (chooserAnswers.empty())
            return std::nullopt;
        const auto answer = chooserAnswers.front();
        chooserAnswers.pop_front();
        return answer;
    }
    // As the window does: showing runs FormShow, and the user's actions run while it is shown.
    void showModal() override
    {
        ++modalShows;
        shownModally = true;
        run([this] { handlers->FormShow(); });
        if (whileModal && shownModally)
            whileModal(*this);
        shownModally = false;
    }
    void hideDialog() override
    {
        ++hides;
        shownModally = false;
    }

    // The user picks `item` in `list`, as the window's change event would report it.
    void pick(FontOptionControl list, const std::string& item) { selected[list] = item; }

    // Runs a handler as the window's event slots do: an error goes to the error report, not further.
    void run(const std::function<void()>& handler)
    {
        try {
            handler();
        } catch (const std::exception& error) {
            reportedErrors.push_back(error.what());
        }
    }
    // The close box: FormClose, then the window hides.
    void closeBox()
    {
        run([this] { handlers->FormClose(); });
        shownModally = false;
    }

    FontOptions* handlers = nullptr;
    bool ticked = true;
    std::vector<bool> tickHistory;
    std::map<FontOptionControl, std::string> texts;
    std::vector<std::pair<FontOptionControl, std::string>> textHistory;
    std::optional<std::uint32_t> panelColour;
    std::map<FontOptionControl, bool> enabled;
    std::map<FontOptionControl, bool> visible;
    std::map<FontOptionControl, std::vector<std::string>> items;
    std::map<FontOptionControl, std::string> selected;
    std::vector<std::pair<FontOptionControl, std::size_t>> itemCalls;
    std::optional<FontOptionControl> focused;
    std::vector<FontOptionControl> focusHistory;
    std::vector<std::string> families { "DejaVu Sans", "Noto Sans CJK SC", "ar pl ukai cn" };
    std::deque<std::optional<std::uint32_t>> chooserAnswers;
    std::vector<std::uint32_t> chooserOpenedOn;
    std::vector<std::string> reportedErrors;
    int modalShows = 0;
    int hides = 0;
    bool shownModally = false;
    // Runs inside showModal, standing in for the user while the window is open.
    std::function<void(FakeFontOptionView&)> whileModal;
};

// Makes FakeFontOptionView windows and keeps a pointer to each, in order of making.
class FakeFontOptionViewFactory : public FontOptionViewFactory {
public:
    std::unique_ptr<FontOptionView> createFontOptionView() override
    {
        auto view = std::make_unique<FakeFontOptionView>();
        view->whileModal = whileModal;
        made.push_back(view.get());
        return view;
    }

    std::vector<FakeFontOptionView*> made;
    // Given to each window made from now on.
    std::function<void(FakeFontOptionView&)> whileModal;
};

} // namespace vantor::test

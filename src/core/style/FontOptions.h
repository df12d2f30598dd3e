#pragma once

#include "style/FontOptionView.h"

#include <cstdint>
#include <string>

namespace vantor {

struct CaptureSession;
struct SubtitleDocuments;
class SettingsStore;
class TextCodec;

// The behaviour of one font dialog object: its style pieces, its default-style flag and every handler of
// its window. The pieces and the flag are UTF-8; they are encoded for the documents' code page only when a
// line is composed or the document restyled.
class FontOptions {
public:
    FontOptions(FontOptionView& view, SettingsStore& store, SubtitleDocuments& documents,
        CaptureSession& session, TextCodec& codec);

    const std::string& StylePart1() const { return m_stylePart1; }
    const std::string& StylePart2() const { return m_stylePart2; }
    const std::string& DefaultStyleFlag() const { return m_defaultStyleFlag; }
    FontOptionView& view() { return m_view; }

    void FormShow();
    void CheckBoxDefaultClick();
    void PanelColorClick();
    void PanelNameClick();
    void PanelSizeClick();
    void FontNameComboBoxChange();
    void FontSizeComboBoxChange();
    // A typed character; set to 0 when it must not reach the field.
    void Edit1KeyPress(std::uint32_t& key);
    // Key codes as the window system's virtual keys: 13 is Enter.
    void Edit1KeyDown(int& key);
    void Edit2KeyDown(int& key);
    void SaveButtonClick();
    // Runs when the window closes by any means; the window hides itself afterwards.
    void FormClose();

    void LoadStyleIntoDialog();
    void RestyleFormattedDocument();
    void UseDefaultStyle();
    void BuildCustomStyle(const std::string& colourText, const std::string& fontName,
        const std::string& fontSize, const std::string& left, const std::string& top);
    // BuildCustomStyle from the colour, name and size captions and the two position fields.
    void buildCustomStyleFromControls();
    void SaveStyleSettings();
    void WriteDefaultFlag();

    // The formatted text line for `textBytes` (code-page bytes): the pieces, the text, and "</b>" unless
    // `custom`. Throws when a piece holds a character the code page cannot hold.
    std::string ComposeTextLine(const std::string& textBytes, bool custom);

private:
    void showDefaultValues();
    void showCustomValuesFrom(const std::string& line);
    void setColourCaption(const std::string& caption, const std::string& colourSource);

    FontOptionView& m_view;
    SettingsStore& m_store;
    SubtitleDocuments& m_documents;
    CaptureSession& m_session;
    TextCodec& m_codec;
    std::string m_stylePart1;
    std::string m_stylePart2;
    std::string m_defaultStyleFlag;
    // The colour chooser opens on the colour it last returned in this object, black at first.
    std::uint32_t m_chooserColour = 0;
};

} // namespace vantor

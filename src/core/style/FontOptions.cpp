#include "style/FontOptions.h"

#include "model/CaptureSession.h"
#include "model/SubtitleDocuments.h"
#include "model/Text.h"
#include "ports/Keys.h"
#include "ports/TextCodec.h"
#include "srt/StyleTags.h"
#include "style/Restyle.h"
#include "style/StyleSettings.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace vantor {

namespace {

// A colour text's characters 2 to 7: the six hex digits after the "#".
std::string hexDigitsOf(std::string_view colourText)
{
    return colourText.size() > 1 ? std::string(colourText.substr(1, 6)) : std::string();
}

bool lessIgnoringCase(const std::string& a, const std::string& b)
{
    const auto folded = [](unsigned char c) { return std::tolower(c); };
    const bool less = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
        [&](unsigned char x, unsigned char y) { return folded(x) < folded(y); });
    const bool greater = std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(),
        [&](unsigned char x, unsigned char y) { return folded(x) < folded(y); });
    return less || (!greater && a < b);
}

} // namespace

FontOptions::FontOptions(FontOptionView& view, SettingsStore& store, SubtitleDocuments& documents,
    CaptureSession& session, TextCodec& codec)
    : m_view(view)
    , m_store(store)
    , m_documents(documents)
    , m_session(session)
    , m_codec(codec)
{
}

void FontOptions::FormShow()
{
    m_view.setFocus(FontControl::PanelColor);
    m_view.setItems(FontControl::FontSizeComboBox, {});

    std::vector<std::string> families = m_view.screenFontFamilies();
    families.emplace_back("Default");
    std::sort(families.begin(), families.end(), lessIgnoringCase);
    families.erase(std::unique(families.begin(), families.end()), families.end());
    m_view.setItems(FontControl::FontNameComboBox, families);

    std::vector<std::string> sizes;
    sizes.reserve(100);
    for (int size = 1; size <= 100; ++size)
        sizes.push_back(std::to_string(size));
    m_view.setItems(FontControl::FontSizeComboBox, sizes);

    LoadStyleIntoDialog();
}

void FontOptions::LoadStyleIntoDialog()
{
    const TextDocument& document = m_documents.FormattedDocument;
    const std::string line = document.lineCount() > 2 ? document.line(2) : std::string();
    if (!mayBeCustomStyled(line))
        m_session.CustomStyle = false;

    // The window reports only the user's clicks; a change made here runs the click handler itself.
    const bool tick = !m_session.CustomStyle;
    if (m_view.isDefaultTicked() != tick) {
        m_view.setDefaultTicked(tick);
        CheckBoxDefaultClick();
    }
    if (m_view.isDefaultTicked())
        showDefaultValues();
    else
        showCustomValuesFrom(line);
}

void FontOptions::showDefaultValues()
{
    // Every value is read afresh for each use: the store keeps no copy in memory.
    m_view.setText(FontControl::PanelColor, ReadStyleSetting(m_store, kSrtFontColorD));
    m_view.setColorPanelColor(HexTextToColor(hexDigitsOf(ReadStyleSetting(m_store, kSrtFontColorD))));
    m_view.setText(FontControl::PanelName, ReadStyleSetting(m_store, kSrtFontNameD));
    m_view.setText(FontControl::PanelSize, ReadStyleSetting(m_store, kSrtFontSizeD));
    m_view.setText(FontControl::Edit1, ReadStyleSetting(m_store, kSrtFontPosLD));
    m_view.setText(FontControl::Edit2, ReadStyleSetting(m_store, kSrtFontPosUD));
    m_view.setEnabled(FontControl::Panel2, false);
}

void FontOptions::showCustomValuesFrom(const std::string& line)
{
    // The read-back counts bytes of the document's line; the controls show UTF-8.
    const CustomStyleReadBack style = readBackCustomStyle(line);
    const CodePage codePage = m_documents.codePage;
    m_view.setText(FontControl::PanelColor, m_codec.decode(style.colourText, codePage));
    m_view.setColorPanelColor(HexTextToColor(hexDigitsOf(trimControl(style.colourText))));
    m_view.setText(FontControl::PanelName, m_codec.decode(style.fontName, codePage));
    m_view.setText(FontControl::PanelSize, m_codec.decode(style.fontSize, codePage));
    m_view.setText(FontControl::Edit1, m_codec.decode(style.left, codePage));
    m_view.setText(FontControl::Edit2, m_codec.decode(style.top, codePage));
    m_view.setEnabled(FontControl::Panel2, true);
}

void FontOptions::CheckBoxDefaultClick()
{
    if (m_view.isDefaultTicked()) {
        showDefaultValues();
        return;
    }
    if (!ReadStyleSetting(m_store, kSrtFontColor).empty()) {
        m_view.setText(FontControl::PanelColor, ReadStyleSetting(m_store, kSrtFontColor));
        m_view.setColorPanelColor(HexTextToColor(hexDigitsOf(ReadStyleSetting(m_store, kSrtFontColor))));
        m_view.setText(FontControl::PanelName, ReadStyleSetting(m_store, kSrtFontName));
        m_view.setText(FontControl::PanelSize, ReadStyleSetting(m_store, kSrtFontSize));
    } else {
        m_view.setText(FontControl::PanelColor, ReadStyleSetting(m_store, kSrtFontColorD));
        m_view.setColorPanelColor(HexTextToColor(hexDigitsOf(ReadStyleSetting(m_store, kSrtFontColorD))));
        m_view.setText(FontControl::PanelName, ReadStyleSetting(m_store, kSrtFontNameD));
        m_view.setText(FontControl::PanelSize, ReadStyleSetting(m_store, kSrtFontSizeD));
    }
    // The stored custom positions are deliberately not read.
    m_view.setText(FontControl::Edit1, "190");
    m_view.setText(FontControl::Edit2, "270");
    m_view.setEnabled(FontControl::Panel2, true);
}

void FontOptions::PanelColorClick()
{
    const auto chosen = m_view.runColorDialog(m_chooserColour);
    if (!chosen)
        return;
    m_chooserColour = *chosen;
    m_view.setText(FontControl::PanelColor, "#" + ColorToHexText(*chosen));
    m_view.setColorPanelColor(*chosen);
}

void FontOptions::PanelNameClick()
{
    m_view.setVisible(FontControl::FontNameComboBox, true);
}

void FontOptions::PanelSizeClick()
{
    m_view.setVisible(FontControl::FontSizeComboBox, true);
}

void FontOptions::FontNameComboBoxChange()
{
    m_view.setVisible(FontControl::FontNameComboBox, false);
    m_view.setText(FontControl::PanelName, m_view.text(FontControl::FontNameComboBox));
}

void FontOptions::FontSizeComboBoxChange()
{
    m_view.setVisible(FontControl::FontSizeComboBox, false);
    m_view.setText(FontControl::PanelSize, m_view.text(FontControl::FontSizeComboBox));
}

void FontOptions::Edit1KeyPress(std::uint32_t& key)
{
    const bool passes = key == '\b' || key == '\r' || key == '.' || (key >= '0' && key <= '9');
    if (!passes)
        key = 0;
}

void FontOptions::Edit1KeyDown(int& key)
{
    if (key == keys::kEnter)
        m_view.setFocus(FontControl::Edit2);
}

void FontOptions::Edit2KeyDown(int& key)
{
    if (key == keys::kEnter)
        m_view.setFocus(FontControl::SaveButton);
}

void FontOptions::SaveButtonClick()
{
    if (m_view.isDefaultTicked()) {
        UseDefaultStyle();
        RestyleFormattedDocument();
        m_defaultStyleFlag = "1";
    } else {
        BuildCustomStyleFromControls();
        RestyleFormattedDocument();
        m_defaultStyleFlag = "0";
    }
    WriteDefaultFlag();
    SaveStyleSettings();
    FormClose();
    m_view.hideDialog();
}

void FontOptions::FormClose()
{
    if (m_view.isDefaultTicked()) {
        m_defaultStyleFlag = "1";
        UseDefaultStyle();
    } else {
        m_defaultStyleFlag = "0";
        BuildCustomStyleFromControls();
    }
}

void FontOptions::UseDefaultStyle()
{
    m_stylePart1 = kDefaultStylePart1;
    m_stylePart2 = kDefaultStylePart2;
}

void FontOptions::BuildCustomStyle(const std::string& colourText, const std::string& fontName,
    const std::string& fontSize, const std::string& left, const std::string& top)
{
    StylePieces pieces = buildCustomPieces(colourText, fontName, fontSize, left, top);
    m_stylePart1 = std::move(pieces.part1);
    m_stylePart2 = std::move(pieces.part2);
}

void FontOptions::BuildCustomStyleFromControls()
{
    BuildCustomStyle(m_view.text(FontControl::PanelColor), m_view.text(FontControl::PanelName),
        m_view.text(FontControl::PanelSize), m_view.text(FontControl::Edit1),
        m_view.text(FontControl::Edit2));
}

void FontOptions::SaveStyleSettings()
{
    vantor::SaveStyleSettings(m_store, m_view.text(FontControl::PanelColor),
        m_view.text(FontControl::PanelName), m_view.text(FontControl::PanelSize),
        m_view.text(FontControl::Edit1), m_view.text(FontControl::Edit2));
}

void FontOptions::WriteDefaultFlag()
{
    vantor::WriteDefaultFlag(m_store, m_defaultStyleFlag);
}

std::string FontOptions::ComposeTextLine(const std::string& textBytes, bool custom)
{
    const CodePage codePage = m_documents.codePage;
    return composeTextLine(
        m_codec.encode(m_stylePart1, codePage), m_codec.encode(m_stylePart2, codePage), textBytes, custom);
}

void FontOptions::RestyleFormattedDocument()
{
    TextDocument& document = m_documents.FormattedDocument;
    const std::string whole = document.text();
    if (whole.empty())
        return;
    const CodePage codePage = m_documents.codePage;
    const std::string newBlock = m_codec.encode(m_stylePart1 + m_stylePart2, codePage);
    // A copy: the rewrites below change the document.
    const std::vector<std::string> lines = document.lines();

    // The old block is located in the whole text by its first delimiters. It is used as the pattern only
    // where it is exactly the leading block, of the kind expected, of the first text line; anything else
    // could take in entry numbers, time lines or subtitle text, and then each text line is restyled on
    // its own instead.
    const std::size_t first = firstTextLineIndex(lines);
    const std::string_view firstLine
        = first < lines.size() ? std::string_view(lines[first]) : std::string_view();
    const StyleBlock firstBlock = leadingStyleBlock(firstLine, codePage);
    const auto firstLineStartsWith = [&](StyleBlockKind kind, const std::string& located) {
        return firstBlock.kind == kind && !located.empty()
            && firstLine.substr(0, firstBlock.length) == located;
    };
    const auto rewrite = [&](const std::string& text) { m_documents.RewriteViaScratch(document, text); };

    if (m_view.isDefaultTicked()) {
        const std::string defaultBlock = m_codec.encode(std::string(kDefaultStyleBlock), codePage);
        const std::string old = locateCustomBlock(whole, codePage);
        if (firstLineStartsWith(StyleBlockKind::Custom, old)) {
            // Line by line gives the same result as a replacement over the whole text (the block holds no
            // line end) and shows which lines were restyled, so that their "<b>" gets closed.
            std::string text;
            for (const std::string& line : lines) {
                std::string replaced = replaceAllBytes(line, old, defaultBlock, codePage);
                if (replaced != line)
                    replaced = balanceBoldEnd(std::move(replaced), RestyleTarget::Default);
                text += replaced;
                text += TextDocument::kLineEnd;
            }
            rewrite(text);
        } else {
            const std::string text
                = restyleEachTextLine(lines, defaultBlock, RestyleTarget::Default, codePage, true);
            if (text != whole)
                rewrite(text);
        }
        m_session.CustomStyle = false;
        return;
    }

    if (!m_session.CustomStyle) {
        const std::string old = locateDefaultBlock(whole, kDefaultStylePart2.size(), codePage);
        if (firstLineStartsWith(StyleBlockKind::DefaultBold, old)) {
            if (old == newBlock)
                return;
            rewrite(replaceAllBytes(whole, old, newBlock, codePage));
            rewrite(replaceAllBytes(document.text(), kBoldEnd, "", codePage));
        } else {
            // The document goes over to the custom style: the "</b>" that composing in the default style
            // put after each text goes, also on lines that carry custom tags already.
            const std::string text
                = restyleEachTextLine(lines, newBlock, RestyleTarget::Custom, codePage, false);
            if (text != whole)
                rewrite(text);
        }
        m_session.CustomStyle = true;
        return;
    }

    const std::string old = locateCustomBlock(whole, codePage);
    if (firstLineStartsWith(StyleBlockKind::Custom, old)) {
        if (old == newBlock)
            return;
        rewrite(replaceAllBytes(whole, old, newBlock, codePage));
    } else {
        // Already custom: lines in the chosen style keep the bold tags of their own text.
        const std::string text = restyleEachTextLine(lines, newBlock, RestyleTarget::Custom, codePage, true);
        if (text != whole)
            rewrite(text);
    }
}

} // namespace vantor

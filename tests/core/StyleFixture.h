#pragma once

#include "FakeFontOptionView.h"
#include "FakeSettingsStore.h"
#include "IconvCodec.h"
#include "model/CaptureSession.h"
#include "model/SubtitleDocuments.h"
#include "style/FontOptions.h"
#include "style/StyleSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantor::test {

// Style texts as the user and the tests read them (UTF-8); documents hold them in GBK.
inline const std::string kDefaultBlockUtf8 = "{\\fn黑体\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>";
inline const std::string kRedBlockUtf8 = "<font color=#FF0000>{\\fn黑体\\fs18\\pos(190,270)\\}";

// One font dialog object over faked ports, with its documents and capture state.
class StyleFixture : public ::testing::Test {
protected:
    FakeFontOptionView view;
    FakeSettingsStore store;
    SubtitleDocuments documents;
    CaptureSession session;
    IconvCodec codec;
    FontOptions options { view, store, documents, session, codec };
    int formattedChanges = 0;
    int plainChanges = 0;

    void SetUp() override
    {
        view.attach(options);
        documents.FormattedDocument.setChangeHandler([this] { ++formattedChanges; });
        documents.PlainDocument.setChangeHandler([this] { ++plainChanges; });
    }

    std::string bytes(const std::string& utf8) { return codec.encode(utf8, documents.codePage); }
    std::string utf8(const std::string& bytes) { return codec.decode(bytes, documents.codePage); }

    // Sets the formatted document from UTF-8 lines and forgets the notifications that raised.
    void setFormatted(const std::vector<std::string>& lines)
    {
        std::string text;
        for (const std::string& line : lines)
            text += bytes(line) + "\r\n";
        documents.FormattedDocument.setWholeText(text);
        formattedChanges = 0;
    }
    std::vector<std::string> formattedLines()
    {
        std::vector<std::string> lines;
        for (const std::string& line : documents.FormattedDocument.lines())
            lines.push_back(utf8(line));
        return lines;
    }

    // The values a first start writes, then the record cleared.
    void storeDefaults()
    {
        WriteDefaultStyleSettings(store);
        store.writes.clear();
        store.reads.clear();
    }

    // The dialog's rows as the user would set them in the custom view.
    void showCustom(const std::string& colour, const std::string& name, const std::string& size,
        const std::string& left, const std::string& top)
    {
        view.ticked = false;
        view.texts[FontControl::PanelColor] = colour;
        view.texts[FontControl::PanelName] = name;
        view.texts[FontControl::PanelSize] = size;
        view.texts[FontControl::Edit1] = left;
        view.texts[FontControl::Edit2] = top;
    }
};

// Two SRT entries whose text lines are `first` and `second`.
inline std::vector<std::string> twoEntries(const std::string& first, const std::string& second)
{
    return { "1", "00:00:01,000 --> 00:00:02,500", first, "", "2", "00:00:03,000 --> 00:00:04,000", second,
        "" };
}

} // namespace vantor::test

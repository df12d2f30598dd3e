// The font settings dialog on a loaded document: the user picks the default or a custom style (colour, font
// name, size, left and top position, or what the dialog read back from the document) and saves it or closes
// the dialog; entries may be captured in between. Input: a byte choosing a sample file (or two length bytes
// and the file's own bytes), then one dialog session or entry after another.
//
// A restyle changes no line count and never the plain document; it changes number, time and empty lines
// only where they hold the text the whole-text rules replace; the formatted file holds its document. On a
// document whose text lines all begin with one block, a save with a well-formed block puts that block in
// front of every text line's own text; saving the same choice twice changes nothing the second time.
#include "FuzzInput.h"
#include "FuzzRig.h"
#include "SampleDocuments.h"
#include "srt/StyleTags.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace vantor::fuzz {
namespace {

// Dialog sessions and entries per input: each session makes a new dialog object, as the button does, and
// that dominates a run's time.
constexpr int kMostSteps = 8;

struct Rows {
    std::string colour, name, size, left, top;
};

// What the rows of the custom view can come to hold: chooser colours, font families, list sizes, typed or
// pasted positions, and whatever a document made elsewhere or an edited settings file brings along.
const char* const kColours[]
    = { "#FF0000", "#00ff00", " #0000FF ", "#FFFFFF", "#GGGGGG", "", "#12", "#FF0000>", "#ABCDEF}", "red" };
const char* const kNames[] = { "黑体", "DejaVu Sans", "Default", "皚", "宋体", "  Noto Sans CJK SC  ", "a}b",
    "<x>", "😀", "", "\\fs", "A{B", "楷体_GB2312" };
const char* const kSizes[] = { "18", "1", "100", " 18", "", "9", "1a", "9}", "０" };
const char* const kPositions[] = { "190", "270", "", "1.5", "0", "12345", "<", "}", " 7 " };

bool isTextLine(const std::vector<std::string>& lines, std::size_t i)
{
    return i > 0 && !lines[i].empty() && !contains(lines[i], "-->") && contains(lines[i - 1], "-->");
}

class RestyleDriver {
public:
    explicit RestyleDriver(FuzzInput& input)
        : m_input(input)
    {
    }

    void run()
    {
        m_rig.start();
        const std::uint8_t choice = m_input.byte();
        std::string file;
        if (choice < 0xA0) {
            file = sampleFile(choice, m_rig.codec);
            // The samples with one block on every text line (the first four) keep that shape under restyles.
            m_uniform = choice % sampleDocuments().size() < 4;
        } else {
            const std::size_t length = m_input.byte() | (m_input.byte() << 8);
            file = m_input.bytes(length % 2048);
        }
        m_rig.files.files[kFormattedPath] = file;
        m_rig.open(true);
        m_formattedLoaded = m_rig.formatted().text();
        m_plain = m_rig.plain().lines();
        m_plainText = m_rig.plain().text();
        for (int steps = 0; steps < kMostSteps && !m_input.empty(); ++steps) {
            // The fakes' records would grow with every step; nothing here reads them.
            m_rig.settings.reads.clear();
            m_rig.settings.writes.clear();
            m_rig.player.calls.clear();
            if (m_input.below(5) == 0)
                captureEntry();
            else
                dialogSession();
            m_rig.takeWrites();
            m_rig.checkFiles(m_formattedLoaded, m_plainText);
            if (m_trace) {
                std::fprintf(stderr, "after step %d (custom style %d):\n", steps,
                    m_rig.controller.session().CustomStyle);
                for (const std::string& line : m_rig.formatted().lines())
                    std::fprintf(stderr, "  [%s]\n", line.c_str());
            }
        }
    }

private:
    std::string pick(const char* const* table, std::size_t size) { return table[m_input.below(size)]; }

    Rows chooseRows()
    {
        Rows rows;
        const std::uint8_t c = m_input.byte();
        if (c < 0x80) {
            char text[8];
            std::snprintf(text, sizeof text, "#%02X%02X%02X", m_input.byte(), m_input.byte(), m_input.byte());
            rows.colour = text;
        } else {
            rows.colour = kColours[c % std::size(kColours)];
        }
        rows.name = pick(kNames, std::size(kNames));
        rows.size = m_input.flag() ? std::to_string(1 + m_input.below(100)) : pick(kSizes, std::size(kSizes));
        rows.left = m_input.flag() ? std::to_string(m_input.byte()) : pick(kPositions, std::size(kPositions));
        rows.top = m_input.flag() ? std::to_string(m_input.byte()) : pick(kPositions, std::size(kPositions));
        return rows;
    }

    // The colour chooser's texts: "#" and six upper-case hexadecimal digits.
    static bool chooserMakes(const std::string& colour)
    {
        if (colour.size() != 7 || colour[0] != '#')
            return false;
        for (std::size_t i = 1; i < 7; ++i) {
            if (!((colour[i] >= '0' && colour[i] <= '9') || (colour[i] >= 'A' && colour[i] <= 'F')))
                return false;
        }
        return true;
    }

    // The user opens the dialog, sets it up and saves it (or closes it). Returns whether a save ran to its
    // end.
    bool openDialog(bool ticked, const Rows* rows, bool save, Rows& shown)
    {
        int saveErrors = 0;
        m_rig.fontViews.whileModal = [&](LeanFontOptionView& view) {
            if (view.ticked != ticked) {
                view.ticked = ticked;
                view.run([&] { view.handlers->CheckBoxDefaultClick(); });
            }
            if (!ticked && rows) {
                if (chooserMakes(rows->colour)) {
                    // Through the colour chooser, as "#" and six upper-case digits.
                    const std::uint32_t colour = std::strtoul(rows->colour.c_str() + 1, nullptr, 16);
                    const std::uint32_t value = (colour >> 16) | (colour & 0xFF00) | ((colour & 0xFF) << 16);
                    view.chooserAnswer = value;
                    view.run([&] { view.handlers->PanelColorClick(); });
                } else {
                    view.setText(FontControl::PanelColor, rows->colour);
                }
                view.pick(FontControl::FontNameComboBox, rows->name);
                view.run([&] { view.handlers->FontNameComboBoxChange(); });
                view.pick(FontControl::FontSizeComboBox, rows->size);
                view.run([&] { view.handlers->FontSizeComboBoxChange(); });
                view.setText(FontControl::Edit1, rows->left);
                view.setText(FontControl::Edit2, rows->top);
            }
            shown = { view.text(FontControl::PanelColor), view.text(FontControl::PanelName),
                view.text(FontControl::PanelSize), view.text(FontControl::Edit1),
                view.text(FontControl::Edit2) };
            if (save) {
                const int before = view.errorsReported;
                view.run([&] { view.handlers->SaveButtonClick(); });
                saveErrors = view.errorsReported - before;
                if (saveErrors > 0)
                    view.closeBox();
            } else {
                view.closeBox();
            }
        };
        m_rig.guarded([&] { m_rig.controller.BitBtn1Click(); });
        return save && saveErrors == 0;
    }

    void dialogSession()
    {
        const std::uint8_t b = m_input.byte();
        const bool ticked = b & 1;
        const bool save = (b & 6) != 6;
        const bool keepShown = b & 8;
        const bool repeat = b & 16;
        const Rows chosen = chooseRows();

        const std::vector<std::string> before = m_rig.formatted().lines();
        const bool customBefore = m_rig.controller.session().CustomStyle;
        const std::string whole = m_rig.formatted().text();
        const CodePage codePage = m_rig.codePage();
        const std::string oldCustom = locateCustomBlock(whole, codePage);
        const std::string oldDefault = locateDefaultBlock(whole, 3, codePage);

        const int plainWrites = m_rig.files.writesTo[kPlainPath];
        Rows shown;
        const bool saved = openDialog(ticked, keepShown ? nullptr : &chosen, save, shown);
        if (m_trace)
            std::fprintf(stderr, "dialog: %s\n", describe({}, {}, ticked, shown).c_str());
        const auto& after = m_rig.formatted().lines();

        check(m_rig.plain().lines() == m_plain, "the dialog never changes the plain document");
        check(m_rig.files.writesTo[kPlainPath] == plainWrites, "the dialog never writes the plain file");
        check(after.size() == before.size(), "a restyle keeps the number of lines");
        for (std::size_t j = 0; j < before.size(); ++j) {
            if (isTextLine(before, j) || after[j] == before[j])
                continue;
            const bool reached = (!oldCustom.empty() && contains(before[j], oldCustom))
                || (!oldDefault.empty() && contains(before[j], oldDefault)) || contains(before[j], "</b>");
            if (!reached)
                failInvariant("a restyle changes only text lines and the text the whole-text rules replace",
                    "line " + std::to_string(j) + ": [" + before[j] + "] -> [" + after[j] + "]");
        }
        if (!saved) {
            check(after == before, "a dialog closed without a save, or a failed save, changes no line");
            // Opening the dialog reads the document's style and may clear the flag; nothing but a save sets
            // it.
            check(!m_rig.controller.session().CustomStyle || customBefore, "and does not set the style flag");
            return;
        }
        if (!before.empty())
            check(m_rig.controller.session().CustomStyle == !ticked,
                "a save sets the style flag to the chosen style");
        else
            check(m_rig.controller.session().CustomStyle == customBefore,
                "a save on an empty document keeps the flag");

        // The pieces as the document holds them; an empty document takes any pieces, even ones its code page
        // cannot hold (the save has nothing to restyle then).
        std::string block;
        FontOptions& dialog = m_rig.controller.fontDialogs().current();
        try {
            block = m_rig.codec.encode(dialog.StylePart1() + dialog.StylePart2(), codePage);
        } catch (const std::exception&) {
            check(before.empty(), "a save whose pieces the document cannot hold fails");
            return;
        }
        m_uniform = m_uniform && wellFormed(block, ticked);
        if (m_uniform)
            checkUniform(block, ticked);

        // Saving the same style again promises no change where the first save left a document in that style:
        // every text line begins with the saved block, that block is well formed, and the first text line is
        // the third line, where opening the dialog reads the document's style back (elsewhere the dialog
        // takes a custom document for a default one, and the next save converts it once more).
        if (repeat && wellFormed(block, ticked) && everyTextLineBeginsWith(ticked ? defaultBlock() : block)
            && firstTextLineIsThird()) {
            const std::vector<std::string> once = m_rig.formatted().lines();
            Rows again;
            if (openDialog(ticked, &shown, true, again) && m_rig.formatted().lines() != once)
                failInvariant("saving the same style twice changes nothing the second time",
                    describe(once, m_rig.formatted().lines(), ticked, shown));
        }
    }

    static std::string describe(const std::vector<std::string>& before, const std::vector<std::string>& after,
        bool ticked, const Rows& rows)
    {
        std::string text = ticked ? "default style\n"
                                  : "custom [" + rows.colour + "] [" + rows.name + "] [" + rows.size + "] ["
                + rows.left + "] [" + rows.top + "]\n";
        if (before.size() != after.size())
            text += std::to_string(before.size()) + " lines became " + std::to_string(after.size()) + "\n";
        for (std::size_t j = 0; j < before.size() && j < after.size(); ++j) {
            text += (before[j] == after[j] ? "  " : "* ") + before[j];
            if (before[j] != after[j])
                text += "  ->  " + after[j];
            text += "\n";
        }
        return text;
    }

    // A custom block of the shape "<...>{...}": its only delimiters at character starts are, in this order,
    // the "<" it begins with, one ">", one "{" and the "}" it ends with.
    bool wellFormed(const std::string& block, bool ticked)
    {
        if (ticked)
            return true;
        const CodePage codePage = m_rig.codePage();
        std::string delimiters;
        std::size_t last = 0;
        for (std::size_t i = 0; i < block.size(); i += frameLength(block, i, codePage)) {
            const char c = block[i];
            if (c == '<' || c == '>' || c == '{' || c == '}') {
                delimiters += c;
                last = i;
            }
        }
        return delimiters == "<>{}" && block.front() == '<' && last + 1 == block.size();
    }

    std::string defaultBlock()
    {
        return m_rig.codec.encode(std::string(kDefaultStyleBlock), m_rig.codePage());
    }

    bool firstTextLineIsThird()
    {
        const auto& lines = m_rig.formatted().lines();
        return lines.size() > 2 && isTextLine(lines, 2) && !isTextLine(lines, 1);
    }

    bool everyTextLineBeginsWith(const std::string& block)
    {
        const auto& lines = m_rig.formatted().lines();
        for (std::size_t j = 0; j < lines.size(); ++j) {
            if (isTextLine(lines, j) && !lines[j].starts_with(block))
                return false;
        }
        return true;
    }

    // Every text line is the saved block and its own text (with "</b>" after it in the default style).
    void checkUniform(const std::string& block, bool ticked)
    {
        const auto& lines = m_rig.formatted().lines();
        for (std::size_t j = 0; j < lines.size(); ++j) {
            if (!isTextLine(lines, j))
                continue;
            const std::string expected = ticked ? defaultBlock() + m_plain[j] + "</b>" : block + m_plain[j];
            if (lines[j] != expected)
                failInvariant("a save puts the chosen block before each text line's own text",
                    "line " + std::to_string(j) + ": [" + lines[j] + "], expected [" + expected + "]");
        }
    }

    // One capture cycle: the entry's text line is composed from the pieces as they stand.
    void captureEntry()
    {
        static const char* const texts[] = { "Hello", "你好", "a.b", "<b>x", "y</b>" };
        const std::size_t n = m_rig.formatted().lineCount();
        m_rig.hotKeys.press(HotKey::F8);
        m_rig.player.position = 1.0 + m_input.byte();
        m_rig.hotKeys.press(HotKey::F9);
        m_rig.player.position += 1.5;
        m_rig.hotKeys.press(HotKey::F10);
        m_rig.player.position += 0.05;
        m_rig.guarded([&] { m_rig.controller.Timer1Timer(); });
        m_rig.view.setText(Control::InputEdit, texts[m_input.below(std::size(texts))]);
        m_rig.guarded([&] { m_rig.controller.InputEditKeyDown(keys::kEnter); });
        m_plain = m_rig.plain().lines();
        m_plainText = m_rig.plain().text();
        if (m_rig.formatted().lineCount() == n)
            return;
        check(m_rig.formatted().lineCount() == n + 4, "an entry adds four lines");
        // The new entry follows the document's shape only if the pieces are the block its lines carry. Bold
        // tags in the text are the whole-text rules' to remove, so such a text leaves the shape.
        if (contains(m_plain[n + 2], "<b>") || contains(m_plain[n + 2], "</b>"))
            m_uniform = false;
        if (m_uniform) {
            const auto& lines = m_rig.formatted().lines();
            const std::string& text = m_plain[n + 2];
            for (std::size_t j = 0; j < n; ++j) {
                if (!isTextLine(lines, j))
                    continue;
                const std::string& first = lines[j];
                const std::string& own = m_plain[j];
                const std::string& composed = lines[n + 2];
                const std::size_t blockLength = first.size() - own.size() - (first.ends_with("</b>") ? 4 : 0);
                m_uniform = composed
                    == first.substr(0, blockLength) + text + (first.ends_with("</b>") ? "</b>" : "");
                break;
            }
        }
    }

    // VANTOR_FUZZ_TRACE=1 prints each step and the formatted document after it.
    const bool m_trace = std::getenv("VANTOR_FUZZ_TRACE") != nullptr;
    FuzzInput& m_input;
    FuzzRig m_rig;
    std::string m_formattedLoaded;
    std::vector<std::string> m_plain;
    std::string m_plainText;
    bool m_uniform = false;
};

} // namespace
} // namespace vantor::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vantor::fuzz::FuzzInput input(data, size);
    vantor::fuzz::RestyleDriver(input).run();
    return 0;
}

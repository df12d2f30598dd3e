#pragma once

#include "CachedIconvCodec.h"
#include "FakeDialogs.h"
#include "FakeHotKeyService.h"
#include "FakePlayer.h"
#include "FakeSettingsStore.h"
#include "FuzzCheck.h"
#include "FuzzOracles.h"
#include "LeanFontOptionView.h"
#include "MainController.h"
#include "MemoryFileSystem.h"
#include "PlainViewModel.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <string>
#include <unordered_map>
#include <vector>

namespace vantor::fuzz {

inline constexpr const char* kVideo = "/v/clip.mp4";
inline constexpr const char* kFormattedPath = "/v/clip.srt";
inline constexpr const char* kPlainPath = "/v/NoFormatclip.srt";
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The fake player over a video of two hours: like a real player it does not seek before the start or past
// the end (a loaded file's last time code, 99:99:99,999 say, is no place a real video can go).
class FuzzPlayer : public test::FakePlayer {
public:
    static constexpr double kDuration = 7200;
    void setCurrentPosition(double seconds) override
    {
        FakePlayer::setCurrentPosition(std::isnan(seconds) ? 0 : std::clamp(seconds, 0.0, kDuration));
    }
};

// The main window's behaviour over fakes of its ports and the model of the plain view: the wiring of the core
// tests' MainRig, without GoogleTest, and with leaner fakes of the files and the font dialog where the full
// ones' records of every call cost the fuzz targets their speed.
struct FuzzRig {
    PlainViewModel view;
    FuzzPlayer player;
    test::FakeDialogs dialogs;
    MemoryFileSystem files;
    CachedIconvCodec codec;
    test::FakeHotKeyService hotKeys;
    test::FakeSettingsStore settings;
    LeanFontOptionViewFactory fontViews;
    MainController controller { { view, player, dialogs, files, codec, hotKeys, settings, fontViews } };
    // Failures the window would have shown in its error box.
    int errorsReported = 0;

    FuzzRig() { view.attach(controller); }

    // The window is created and shown.
    void start()
    {
        controller.FormCreate();
        guarded([&] { controller.FormShow(); });
    }

    // As the window's slots run a handler: a failure goes to the error box, not further.
    template <typename Call> void guarded(Call&& call)
    {
        try {
            call();
        } catch (const std::exception&) {
            ++errorsReported;
        }
    }

    // Opens the video, answering the question about an existing subtitle file.
    void open(bool answerYes = true)
    {
        dialogs.answerYes = answerYes;
        guarded([&] { controller.openVideo(kVideo); });
    }

    TextDocument& formatted() { return controller.documents().FormattedDocument; }
    TextDocument& plain() { return controller.documents().PlainDocument; }
    CodePage codePage() { return controller.documents().codePage; }

    // True when `bytes` are what the file of `document` must hold: the byte-order mark the loaded file had,
    // then every line followed by CR LF. Compared in place, without building the text.
    bool holdsDocument(std::string_view bytes, const TextDocument& document)
    {
        if (controller.fileSet().hasByteOrderMark()) {
            if (!bytes.starts_with(kUtf8Bom))
                return false;
            bytes.remove_prefix(kUtf8Bom.size());
        }
        for (const std::string& line : document.lines()) {
            if (!bytes.starts_with(line) || bytes.substr(line.size(), 2) != "\r\n")
                return false;
            bytes.remove_prefix(line.size() + 2);
        }
        return bytes.empty();
    }

    // True when anything was written since the last call.
    bool takeWrites()
    {
        const bool any = files.writeCount != m_writesSeen;
        m_writesSeen = files.writeCount;
        return any;
    }

    bool written(const std::string& path)
    {
        const auto found = files.writesTo.find(path);
        return found != files.writesTo.end() && found->second > 0;
    }

    // Each subtitle file holds its document's text once anything was written to it; until then the
    // document has not changed since `loadedText` (loading writes no file).
    void checkFiles(const std::string& formattedLoaded, const std::string& plainLoaded)
    {
        check(formatted().lineCount() == plain().lineCount(),
            "the two documents have the same number of lines");
        if (written(kFormattedPath))
            check(holdsDocument(files.files[kFormattedPath], formatted()),
                "the formatted file holds its document");
        else
            check(formatted().text() == formattedLoaded, "an unsaved formatted document is unchanged");
        if (written(kPlainPath))
            check(holdsDocument(files.files[kPlainPath], plain()), "the plain file holds its document");
        else
            check(plain().text() == plainLoaded, "an unsaved plain document is unchanged");
    }

    // The plain view shows the plain document, line by line, whenever its lines line up with it.
    void checkViewMirrorsPlain()
    {
        const std::size_t lines = plain().lineCount();
        if (lines == 0 || view.editsLost > 0 || view.mirroredLineCount() != lines
            || view.blockCount() != lines)
            return;
        const std::vector<std::u16string> shown = view.blocks();
        for (std::size_t i = 0; i < lines; ++i) {
            if (shown[i] != viewTextOf(plain().line(i)))
                failInvariant("the plain view shows the plain document", "line " + std::to_string(i));
        }
    }

    // What the view shows for a line of the plain document. Lines seldom change, so each is converted once.
    const std::u16string& viewTextOf(const std::string& line)
    {
        auto found = m_viewText.find(line);
        if (found == m_viewText.end())
            found = m_viewText.emplace(line, utf16FromUtf8(codec.decode(line, codePage()))).first;
        return found->second;
    }

private:
    std::unordered_map<std::string, std::u16string> m_viewText;
    int m_writesSeen = 0;
};

} // namespace vantor::fuzz

#pragma once

#include "model/CaptureSession.h"
#include "model/SubtitleDocuments.h"
#include "ports/Dialogs.h"
#include "ports/FileSystem.h"
#include "ports/MainView.h"
#include "ports/MediaPlayer.h"
#include "ports/TextCodec.h"

#include <functional>
#include <string>

namespace vantor {

// The two subtitle files beside the video: their names, opening a video, loading an existing file for
// editing or turning it into backups, and saving.
//
// Saving is coalesced: a change of a document marks its file as due, and flushSaves() writes every due
// file once, atomically, at the end of the user action (the controller calls it before control returns to
// the event loop). A rewrite that clears a document and fills it again thus never reaches the disk half
// done. A write that fails is reported once, in plain words; the document keeps its content and the file
// stays due, so the next action tries again.
// A subtitle file larger than this is refused rather than loaded: real ones stay far below it (a three-hour
// film takes some 300 KB), while loading one into the window costs some 20 times its size in memory and
// 0.3 s a megabyte (100 MB: 35 s frozen and 2.2 GB measured), and every keystroke rewrites both files whole.
inline constexpr std::size_t kMaxSubtitleFileBytes = 10 * 1024 * 1024;

class SubtitleFileSet {
public:
    SubtitleFileSet(CaptureSession& session, SubtitleDocuments& documents, MainView& view,
        MediaPlayer& player, Dialogs& dialogs, FileSystem& files, TextCodec& codec);

    // Shows the open-file dialog and opens the chosen video. Failures are caught and end the open quietly,
    // but for an existing subtitle file the user asked to edit and that cannot be read or is too large:
    // that one is reported, and the file set stays unset so that nothing replaces the file.
    void OpenButtonClick();
    // The steps of an open after the dialog: the video at `path` (UTF-8).
    void openVideo(const std::string& path);
    // The player found after the open that it cannot play the video (a text file, a missing file): the open
    // failed after all. Tells the user why, lets another video be opened and marks nothing with F9/F10.
    void videoFailed(const std::string& reason);
    void ResetCapture();
    void PrepareSubtitleFiles();
    void RestoreLastTimes();
    void StripStyleFromPlain();
    void EnterEditMode();

    // True when entries can be made: a video is open and its two files can be written.
    bool canCapture() const;
    // Tells the user why no entry can be made now and what to do.
    void explainNoCapture();

    void SaveFormattedFile();
    void SavePlainFile();
    void TempRichEditChange();
    void UserRichEditChange();

    // Writes every due file. Never throws: a failure goes to the error report, once per failing streak.
    void flushSaves();
    bool savesDue() const { return m_formattedDue || m_plainDue; }

    std::string PlainPath() const;
    // Carries a change of the plain document into the formatted one (edit mode); may be empty.
    void setPlainEditHandler(std::function<void()> handler) { m_applyPlainEdit = std::move(handler); }
    // Called after a custom-styled file was loaded, to take its style as the pieces of new text lines.
    void setLoadedStyleHandler(std::function<void()> handler) { m_readLoadedStyle = std::move(handler); }
    // While set, changes of the plain document are appends of the capture cycle, not user edits: they are
    // saved but not carried into the formatted document.
    void setAppendingEntry(bool appending) { m_appendingEntry = appending; }
    // The loaded file began with a UTF-8 byte-order mark; it is written back with it.
    bool hasByteOrderMark() const { return m_byteOrderMark; }
    // The code page of the files a video gets when it has none yet (GBK unless chosen otherwise); files that
    // exist keep the code page they were read in.
    void setNewFileCodePage(CodePage codePage) { m_newFileCodePage = codePage; }

private:
    void writeDue(bool& due, std::string& lastError, const std::string& path, const TextDocument& document);
    void loadExistingFile();
    // The steps of the load that read the formatted document's whole text, given it once.
    void restoreLastTimes(const std::string& formattedText);
    void stripStyleFromPlain(const std::string& formattedText);
    void checkFilesWritable();
    [[noreturn]] void refuseFileSet(const std::string& reason, std::string_view note);
    void backUpExistingFiles();

    CaptureSession& m_session;
    SubtitleDocuments& m_documents;
    MainView& m_view;
    MediaPlayer& m_player;
    Dialogs& m_dialogs;
    FileSystem& m_files;
    TextCodec& m_codec;
    std::function<void()> m_applyPlainEdit;
    std::function<void()> m_readLoadedStyle;
    std::string m_videoPath;
    bool m_appendingEntry = false;
    bool m_byteOrderMark = false;
    CodePage m_newFileCodePage = CodePage::Gbk;
    bool m_formattedDue = false;
    bool m_plainDue = false;
    // Why new entries cannot be made although a video was opened; empty when nothing stands in the way.
    std::string m_captureBlocked;
    std::string m_formattedError;
    std::string m_plainError;
};

// Detects the code page of a subtitle file's bytes: a UTF-8 byte-order mark, or valid UTF-8 that holds
// non-ASCII text, is UTF-8 made elsewhere (GBK Chinese text is almost never valid UTF-8); anything else GBK.
CodePage detectCodePage(std::string_view bytes);

} // namespace vantor

#include "documents/SubtitleFileSet.h"

#include "model/Translate.h"

#include "model/Text.h"
#include "model/VantorError.h"
#include "srt/SrtLayout.h"
#include "srt/StyleTags.h"
#include "srt/TimeCode.h"

#include <cstdio>

namespace vantor {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
std::string unopenedFileNote()
{
    return translate("SubtitleFileSet", "\n字幕文件没有打开，也没有被改动。");
}
std::string unwritableNote()
{
    return translate("SubtitleFileSet",
        "\n字幕文件无法保存在视频旁边，所以不能制作字幕。请把视频放到可以写入的文件夹里（或移走挡住的文件），"
        "再打开视频。");
}
std::string noVideoNote()
{
    return translate(
        "SubtitleFileSet", "还没有打开视频。字幕文件保存在视频旁边：请先打开视频（打开视频[O]）。");
}

// The number of the last entry of a loaded document: the number line above its last time line, or, when
// that line holds no positive number, the count of its time lines.
int lastEntryNumber(const TextDocument& document)
{
    int timeLines = 0;
    std::size_t last = document.lineCount();
    for (std::size_t i = 0; i < document.lineCount(); ++i) {
        if (isTimeLine(document.line(i))) {
            ++timeLines;
            last = i;
        }
    }
    if (last > 0 && last < document.lineCount()) {
        const std::string number = trimControl(document.line(last - 1));
        if (!number.empty() && number.size() <= 9
            && number.find_first_not_of("0123456789") == std::string::npos && std::stoi(number) > 0)
            return std::stoi(number);
    }
    return timeLines;
}

bool isValidUtf8(std::string_view bytes, bool& hasNonAscii)
{
    hasNonAscii = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        hasNonAscii = true;
        const std::size_t length = characterLength(bytes, i, CodePage::Utf8);
        if (length == 1)
            return false;
        i += length;
    }
    return true;
}

// Directory with its trailing separator, and the file name, of a path.
std::pair<std::string, std::string> splitPath(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return { std::string(), path };
    return { path.substr(0, slash + 1), path.substr(slash + 1) };
}

} // namespace

CodePage detectCodePage(std::string_view bytes)
{
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        return CodePage::Utf8;
    bool hasNonAscii = false;
    return isValidUtf8(bytes, hasNonAscii) && hasNonAscii ? CodePage::Utf8 : CodePage::Gbk;
}

SubtitleFileSet::SubtitleFileSet(CaptureSession& session, SubtitleDocuments& documents, MainView& view,
    MediaPlayer& player, Dialogs& dialogs, FileSystem& files, TextCodec& codec)
    : m_session(session)
    , m_documents(documents)
    , m_view(view)
    , m_player(player)
    , m_dialogs(dialogs)
    , m_files(files)
    , m_codec(codec)
{
}

std::string SubtitleFileSet::PlainPath() const
{
    if (m_session.FormattedPath.empty())
        return {};
    return m_session.VideoDir + "NoFormat" + m_session.SubtitleFileName;
}

void SubtitleFileSet::OpenButtonClick()
{
    std::optional<std::string> path;
    try {
        path = m_dialogs.chooseOpenFile();
    } catch (const std::exception&) {
        return;
    }
    if (path)
        openVideo(*path);
}

void SubtitleFileSet::openVideo(const std::string& path)
{
    try {
        m_videoPath = path;
        m_player.setUrl(path);
        m_player.stop();
        const auto [directory, fileName] = splitPath(path);
        const auto dot = fileName.find_last_of('.');
        const std::string extension = dot == std::string::npos ? std::string() : fileName.substr(dot);
        std::string baseName = fileName;
        if (!extension.empty())
            baseName.erase(baseName.find(extension), extension.size());
        m_session.VideoBaseName = baseName;
        m_session.VideoDir = directory;
        m_session.SubtitleFileName = baseName + ".srt";
        // The file set changes: nothing may be written until the new one is fixed, and nothing still due
        // for the old one is written to the new names. Clearing the documents therefore writes no file.
        m_session.FormattedPath.clear();
        m_formattedDue = m_plainDue = false;
        m_documents.FormattedDocument.clear();
        m_documents.PlainDocument.clear();
        m_documents.codePage = m_newFileCodePage;
        m_byteOrderMark = false;
        m_captureBlocked.clear();
        ResetCapture();
        m_view.setFocus(Control::StartTimeButton);
        PrepareSubtitleFiles();
        checkFilesWritable();
        m_view.setEnabled(Control::OpenButton, false);
    } catch (const std::exception&) {
        // An open that fails ends quietly; what it did so far stays, and the open button stays enabled.
        m_session.Loading = false;
    }
}

void SubtitleFileSet::videoFailed(const std::string& reason)
{
    m_view.setEnabled(Control::OpenButton, true);
    m_view.setEnabled(Control::StartTimeButton, false);
    m_view.setEnabled(Control::EndTimeButton, false);
    // A loaded file stays editable and saved; only marking new entries needs a video that plays.
    m_captureBlocked = withArguments(
        translate("SubtitleFileSet", "无法播放 %1：%2\n请打开一个视频文件。"), { m_videoPath, reason });
    m_dialogs.reportError(m_captureBlocked);
}

// Both files must be writable before the first entry is made: a folder or a read-only file in their place,
// or a folder that takes no new files, is met now, not at the first Enter.
void SubtitleFileSet::checkFilesWritable()
{
    for (const std::string& path : { m_session.FormattedPath, PlainPath() }) {
        try {
            m_files.checkWritable(path);
        } catch (const std::exception& error) {
            refuseFileSet(error.what(), unwritableNote());
        }
    }
}

void SubtitleFileSet::ResetCapture()
{
    for (const Control control : { Control::Label1, Control::Edit1, Control::Edit2 })
        m_view.setText(control, std::string(kZeroTimeCode));
    m_session.EntryCount = 0;
    m_view.setEnabled(Control::StartTimeButton, true);
    m_view.setEnabled(Control::EndTimeButton, true);
}

void SubtitleFileSet::PrepareSubtitleFiles()
{
    m_session.FormattedPath = m_session.VideoDir + m_session.SubtitleFileName;
    if (!m_files.fileExists(m_session.FormattedPath))
        return;
    if (m_dialogs.askYesNo(translate("SubtitleFileSet", "SRT字幕文件已存在，是否打开编辑？")))
        loadExistingFile();
    else
        backUpExistingFiles();
}

void SubtitleFileSet::loadExistingFile()
{
    m_session.Loading = true;
    std::string bytes;
    try {
        // The size is asked before anything is read: a huge file costs neither time nor memory.
        bytes = m_files.readFile(m_session.FormattedPath, kMaxSubtitleFileBytes);
    } catch (const FileTooLarge& error) {
        m_session.Loading = false;
        char size[32];
        std::snprintf(size, sizeof size, "%.1f MB", static_cast<double>(error.size()) / (1024 * 1024));
        refuseFileSet(
            withArguments(
                translate("SubtitleFileSet", "字幕文件 %1 太大（%2，最大 %3 MB），不像是 SRT 字幕文件。"),
                { m_session.FormattedPath, size, std::to_string(kMaxSubtitleFileBytes / (1024 * 1024)) }),
            unopenedFileNote());
    } catch (const std::exception& error) {
        m_session.Loading = false;
        refuseFileSet(error.what(), unopenedFileNote());
    }
    m_documents.codePage = detectCodePage(bytes);
    m_byteOrderMark = bytes.compare(0, kUtf8Bom.size(), kUtf8Bom) == 0;
    m_documents.FormattedDocument.setWholeText(
        std::string_view(bytes).substr(m_byteOrderMark ? kUtf8Bom.size() : 0));
    std::string().swap(bytes);
    // The plain document starts as the formatted one's lines (splitting their text again gives the same
    // lines). The whole text is made once, for the steps below that read it; nothing changes the formatted
    // document until the last of them.
    const std::string formattedText = m_documents.FormattedDocument.text();
    m_documents.PlainDocument.setLines(m_documents.FormattedDocument.lines());
    stripStyleFromPlain(formattedText);
    EnterEditMode();
    m_session.Loading = false;
    m_session.ResumePending = true;
    m_session.CustomStyle = true;
    // A document whose first text line cannot hold the custom style is in the default style: new entries
    // then close their "<b>" like the loaded ones (the font dialog applies the same rule when it opens).
    const TextDocument& formatted = m_documents.FormattedDocument;
    if (!mayBeCustomStyled(formatted.lineCount() > 2 ? formatted.line(2) : std::string()))
        m_session.CustomStyle = false;
    // The next entry continues the file's numbering instead of starting again at 1.
    m_session.EntryCount = lastEntryNumber(formatted);
    // New entries of a custom-styled file get its own style, as the font dialog reads it back from the first
    // text line: the default pieces would open a "<b>" that no custom-styled line closes.
    if (m_session.CustomStyle && m_readLoadedStyle)
        m_readLoadedStyle();
    restoreLastTimes(formattedText);
    m_view.setText(Control::Label1, m_view.text(Control::Edit2));
    m_session.ResumeSeconds = timeCodeToSeconds(m_view.text(Control::Edit2));
}

// The open fails: the file set stays unset, so that nothing replaces a file the user could not see and no
// entry is made that no file would hold. Whatever was loaded goes; capture stays off until another video
// opens with files that can be written.
void SubtitleFileSet::refuseFileSet(const std::string& reason, std::string_view note)
{
    m_session.FormattedPath.clear();
    m_formattedDue = m_plainDue = false;
    m_session.Loading = true;
    m_documents.FormattedDocument.clear();
    m_documents.PlainDocument.clear();
    m_session.Loading = false;
    m_session.EditMode = false;
    m_view.setVisible(Control::UserRichEdit, false);
    m_view.setVisible(Control::Panel3, true);
    m_view.setEnabled(Control::StartTimeButton, false);
    m_view.setEnabled(Control::EndTimeButton, false);
    m_captureBlocked = reason + std::string(note);
    m_dialogs.reportError(m_captureBlocked);
    throw Error(reason);
}

bool SubtitleFileSet::canCapture() const
{
    return !m_session.FormattedPath.empty() && m_captureBlocked.empty();
}

void SubtitleFileSet::explainNoCapture()
{
    m_dialogs.reportError(m_captureBlocked.empty() ? noVideoNote() : m_captureBlocked);
}

void SubtitleFileSet::backUpExistingFiles()
{
    const std::string formatted = m_session.FormattedPath;
    const std::string plain = PlainPath();
    m_files.removeFile(formatted + ".bak");
    m_files.renameFile(formatted, formatted + ".bak");
    m_files.removeFile(plain + ".bak");
    m_files.renameFile(plain, plain + ".bak");
    m_session.CustomStyle = false;
}

void SubtitleFileSet::RestoreLastTimes()
{
    restoreLastTimes(m_documents.FormattedDocument.text());
}

void SubtitleFileSet::restoreLastTimes(const std::string& text)
{
    const auto arrow = text.rfind(kTimeArrow);
    // A file without any time line has no last entry to resume from: the fields keep the empty time.
    if (arrow != std::string::npos) {
        const auto decoded
            = [&](std::string_view code) { return m_codec.decode(std::string(code), m_documents.codePage); };
        m_view.setText(Control::Edit1, decoded(startCodeBeforeArrow(text, arrow)));
        m_view.setText(Control::Edit2, decoded(endCodeAfterArrow(text, arrow)));
    }
    m_session.ResumeStartText = m_view.text(Control::Edit2);
}

void SubtitleFileSet::StripStyleFromPlain()
{
    stripStyleFromPlain(m_documents.FormattedDocument.text());
}

void SubtitleFileSet::stripStyleFromPlain(const std::string& formattedText)
{
    const CodePage codePage = m_documents.codePage;
    const std::string pieces[] = {
        locateCustomBlock(formattedText, codePage),
        locateDefaultBlock(formattedText, 0, codePage),
        "<b>",
        std::string(kBoldEnd),
    };
    // No piece holds a line break (a located block lies within one line), so removing every occurrence
    // line by line gives the same text as removing it from the whole text, without rewriting every line.
    TextDocument& plain = m_documents.PlainDocument;
    for (const std::string& piece : pieces) {
        if (piece.empty())
            continue;
        for (std::size_t i = 0; i < plain.lineCount(); ++i) {
            if (plain.line(i).find(piece) == std::string::npos)
                continue;
            std::string stripped = replaceAllBytes(plain.line(i), piece, "", codePage);
            if (stripped != plain.line(i))
                plain.replace(i, std::move(stripped));
        }
    }
}

void SubtitleFileSet::EnterEditMode()
{
    m_view.setVisible(Control::Panel3, false);
    m_view.setVisible(Control::UserRichEdit, true);
    m_view.setFocus(Control::UserRichEdit);
    m_view.plainCaretToEnd();
    m_session.EditMode = true;
    m_view.setEnabled(Control::StartTimeButton, false);
    m_view.setEnabled(Control::EndTimeButton, false);
    m_player.pause();
}

void SubtitleFileSet::SaveFormattedFile()
{
    if (!m_session.FormattedPath.empty())
        m_formattedDue = true;
}

void SubtitleFileSet::SavePlainFile()
{
    if (!m_session.FormattedPath.empty())
        m_plainDue = true;
}

void SubtitleFileSet::TempRichEditChange()
{
    if (!m_session.Loading)
        SaveFormattedFile();
}

void SubtitleFileSet::UserRichEditChange()
{
    if (m_session.Loading)
        return;
    if (m_applyPlainEdit && !m_appendingEntry)
        m_applyPlainEdit();
    SavePlainFile();
}

void SubtitleFileSet::writeDue(
    bool& due, std::string& lastError, const std::string& path, const TextDocument& document)
{
    if (!due || path.empty())
        return;
    try {
        std::string bytes = document.text();
        if (m_byteOrderMark)
            bytes.insert(0, kUtf8Bom);
        m_files.writeFileAtomically(path, bytes);
        due = false;
        lastError.clear();
    } catch (const std::exception& error) {
        // Tell the user once per failing streak; the work stays in memory and the next action retries.
        if (lastError != error.what()) {
            lastError = error.what();
            m_dialogs.reportError(
                lastError + translate("SubtitleFileSet", "\n字幕仍在内存中，下一次修改时会再次保存。"));
        }
    }
}

void SubtitleFileSet::flushSaves()
{
    writeDue(m_formattedDue, m_formattedError, m_session.FormattedPath, m_documents.FormattedDocument);
    writeDue(m_plainDue, m_plainError, PlainPath(), m_documents.PlainDocument);
}

} // namespace vantor

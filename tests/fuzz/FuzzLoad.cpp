// Loading an existing subtitle file: the formatted file's bytes (and an old plain file) lie beside the
// video, the user opens it and answers the question. Input: a flags byte, the plain file's length (one
// byte) and bytes, then the formatted file's bytes.
#include "FuzzRig.h"
#include "srt/StyleTags.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace vantor::fuzz {
namespace {

enum Flags : std::uint8_t {
    kPlainFileExists = 1,
    kAnswerNo = 2,
    kCaptureAfter = 4,
    kChineseEntry = 8,
    kUnencodableEntry = 16,
};

// A located style block is used as a pattern only where it is the leading part of a text line right
// below a time line, within that line.
void checkLocatedBlock(const std::string& block, const std::vector<std::string>& lines)
{
    if (block.empty())
        return;
    check(block.find_first_of("\r\n") == std::string::npos, "a located style block lies within one line");
    if (!opensLineBelowTimeLine(block, lines))
        failInvariant("a located style block opens a text line below a time line", block);
}

// After loading for editing: no file written, the formatted document is the file's lines, and the plain
// document is the same lines with the first text line's style pieces, "<b>" and "</b>" removed.
void checkLoadedForEditing(
    FuzzRig& rig, const std::string& formattedBytes, const std::map<std::string, std::string>& filesBefore)
{
    check(rig.files.writeCount == 0 && rig.files.files == filesBefore, "loading writes no file");
    const bool bom = formattedBytes.compare(0, kUtf8Bom.size(), kUtf8Bom) == 0;
    check(rig.controller.fileSet().hasByteOrderMark() == bom, "a byte-order mark is recognised");
    if (bom)
        check(rig.codePage() == CodePage::Utf8, "a file with a UTF-8 byte-order mark is UTF-8");
    const std::vector<std::string> lines
        = splitFileLines(std::string_view(formattedBytes).substr(bom ? kUtf8Bom.size() : 0));
    check(rig.formatted().lines() == lines, "the formatted document holds the file's lines");
    check(rig.plain().lineCount() == lines.size(), "the plain document has the formatted document's lines");

    const CodePage codePage = rig.codePage();
    const std::string text = rig.formatted().text();
    const std::string custom = locateCustomBlock(text, codePage);
    const std::string standard = locateDefaultBlock(text, 0, codePage);
    checkLocatedBlock(custom, lines);
    checkLocatedBlock(standard, lines);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string expected = lines[i];
        for (const std::string_view piece : { std::string_view(custom), std::string_view(standard),
                 std::string_view("<b>"), std::string_view("</b>") })
            expected = replaceAtCharacters(expected, piece, "", codePage);
        const std::string& plain = rig.plain().line(i);
        if (isEntryNumber(lines[i]) || isWrittenTimeLine(lines[i]))
            check(plain == lines[i], "entry numbers and time lines keep their bytes in the plain document");
        if (plain != expected)
            failInvariant(
                "a plain line is its formatted line without the style pieces", "line " + std::to_string(i));
    }
    check(!rig.controller.session().Loading, "loading ends");
    check(rig.controller.session().EditMode && rig.view.isVisible(Control::UserRichEdit),
        "a loaded file is shown for editing");
    rig.checkViewMirrorsPlain();
}

// Answer No: the old files became backups, nothing else was written, the documents are empty.
void checkBackedUp(FuzzRig& rig, const std::string& formattedBytes, const std::string* plainBytes)
{
    check(rig.files.writeCount == 0, "declining writes no file");
    const std::string formattedBackup = std::string(kFormattedPath) + ".bak";
    const std::string plainBackup = std::string(kPlainPath) + ".bak";
    check(rig.files.files.count(formattedBackup) && rig.files.files[formattedBackup] == formattedBytes,
        "the formatted file becomes its backup");
    check(!rig.files.files.count(kFormattedPath), "the formatted file is moved away");
    if (plainBytes)
        check(rig.files.files.count(plainBackup) && rig.files.files[plainBackup] == *plainBytes,
            "the plain file becomes its backup");
    check(!rig.files.files.count(kPlainPath), "the plain file is moved away");
    check(rig.formatted().empty() && rig.plain().empty(), "declining leaves both documents empty");
}

// One capture cycle after the open: the entry is appended to both documents (or refused whole), every
// earlier line stays, and both files hold their documents.
void captureOneEntry(FuzzRig& rig, std::uint8_t flags)
{
    const std::vector<std::string> formattedBefore = rig.formatted().lines();
    const std::vector<std::string> plainBefore = rig.plain().lines();
    const int writesBefore = rig.files.writeCount;
    const double start = 1.0 + (flags >> 5) * 0.7;
    rig.hotKeys.press(HotKey::F8);
    rig.player.position = start;
    rig.hotKeys.press(HotKey::F9);
    rig.player.position = start + 1.25;
    rig.hotKeys.press(HotKey::F10);
    rig.player.position = start + 1.3;
    rig.guarded([&] { rig.controller.Timer1Timer(); });
    std::string text = "Hello";
    if (flags & kChineseEntry)
        text = "你好，世界";
    if (flags & kUnencodableEntry)
        text += "😀";
    rig.view.setText(Control::InputEdit, text);
    rig.guarded([&] { rig.controller.InputEditKeyDown(keys::kEnter); });

    const std::size_t n = formattedBefore.size();
    const bool appended = rig.formatted().lineCount() != n;
    if (!appended) {
        check(rig.formatted().lines() == formattedBefore && rig.plain().lines() == plainBefore,
            "a refused entry changes neither document");
        check(rig.files.writeCount == writesBefore, "a refused entry writes nothing");
        return;
    }
    check(rig.formatted().lineCount() == n + 4 && rig.plain().lineCount() == n + 4,
        "an entry is four lines in each document");
    for (std::size_t i = 0; i < n; ++i) {
        check(rig.formatted().line(i) == formattedBefore[i], "an entry leaves the formatted lines before it");
        check(rig.plain().line(i) == plainBefore[i], "an entry leaves the plain lines before it");
    }
    const std::string encoded = rig.codec.encode(text, rig.codePage());
    check(rig.plain().line(n + 2) == encoded, "the plain text line is the typed text");
    check(rig.formatted().line(n) == rig.plain().line(n)
            && rig.formatted().line(n + 1) == rig.plain().line(n + 1),
        "number and time line are the same in both documents");
    check(isEntryNumber(rig.plain().line(n)), "the entry number is a number");
    if (!isWrittenTimeLine(rig.plain().line(n + 1)))
        failInvariant("the time line is well formed", rig.plain().line(n + 1));
    check(rig.formatted().line(n + 3).empty() && rig.plain().line(n + 3).empty(),
        "an entry ends in an empty line");
    check(contains(rig.formatted().line(n + 2), encoded), "the formatted text line holds the typed text");
    check(rig.written(kFormattedPath) && rig.written(kPlainPath), "an entry saves both files");
    check(rig.holdsDocument(rig.files.files[kFormattedPath], rig.formatted()),
        "the formatted file holds its document");
    check(rig.holdsDocument(rig.files.files[kPlainPath], rig.plain()), "the plain file holds its document");
}

} // namespace
} // namespace vantor::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace vantor::fuzz;
    if (size < 2)
        return 0;
    const std::uint8_t flags = data[0];
    const std::size_t plainLength = std::min<std::size_t>(data[1], size - 2);
    const std::string plainBytes(reinterpret_cast<const char*>(data + 2), plainLength);
    const std::string formattedBytes(
        reinterpret_cast<const char*>(data + 2 + plainLength), size - 2 - plainLength);

    FuzzRig rig;
    rig.start();
    rig.files.files[kFormattedPath] = formattedBytes;
    if (flags & kPlainFileExists)
        rig.files.files[kPlainPath] = plainBytes;
    const auto filesBefore = rig.files.files;
    rig.open(!(flags & kAnswerNo));
    if (flags & kAnswerNo)
        checkBackedUp(rig, formattedBytes, (flags & kPlainFileExists) ? &plainBytes : nullptr);
    else
        checkLoadedForEditing(rig, formattedBytes, filesBefore);
    if (flags & kCaptureAfter)
        captureOneEntry(rig, flags);
    return 0;
}

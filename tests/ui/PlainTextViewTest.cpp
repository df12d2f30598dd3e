// The plain view's widget on documents longer than it holds at once: which lines it holds, how it follows
// the document's changes, and how its window moves as the view scrolls.
#include "PlainTextView.h"

#include <QApplication>
#include <QScrollBar>
#include <QTextBlock>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantor {
namespace {

constexpr std::size_t kWindow = PlainTextView::kWindowLines;

// A document of numbered lines ("line 0", "line 1", ...) that the view reads, and the reads it made.
class PlainTextViewTest : public ::testing::Test {
protected:
    std::vector<QString> lines;
    std::size_t reads = 0;
    PlainTextView view;

    void SetUp() override
    {
        view.setLineWrapMode(QPlainTextEdit::NoWrap);
        view.resize(284, 230);
        view.show();
    }

    void showDocument(std::size_t count)
    {
        lines.clear();
        for (std::size_t i = 0; i < count; ++i)
            lines.push_back(QStringLiteral("line %1").arg(i));
        view.resetLines(lines.size(), [this](std::size_t index) {
            ++reads;
            return lines.at(index);
        });
    }

    // The view's block b, which must be the document's line firstLine() + b.
    QString block(std::size_t b) const
    {
        return view.document()->findBlockByNumber(static_cast<int>(b)).text();
    }

    // Every line the view holds is the document's line at its place, and the count is the document's.
    void expectInLine() const
    {
        ASSERT_EQ(view.lineCount(), lines.size());
        ASSERT_EQ(static_cast<std::size_t>(view.document()->blockCount()),
            std::max<std::size_t>(1, view.windowLines()));
        for (std::size_t b = 0; b < view.windowLines(); ++b)
            ASSERT_EQ(block(b), lines.at(view.firstLine() + b)) << "block " << b;
    }

    // Scrolls the view to the top of its window (a value it does not stand at already, so that the scroll
    // bar reports it), and lets the window move.
    void scrollToWindowTop()
    {
        view.verticalScrollBar()->setValue(1);
        view.verticalScrollBar()->setValue(0);
        QApplication::processEvents();
    }

    std::size_t caretLine() const
    {
        return view.firstLine() + static_cast<std::size_t>(view.textCursor().blockNumber());
    }
};

TEST_F(PlainTextViewTest, ShortDocumentIsHeldWhole)
{
    showDocument(PlainTextView::kWholeLines);
    EXPECT_EQ(view.firstLine(), 0u);
    EXPECT_EQ(view.windowLines(), PlainTextView::kWholeLines);
    expectInLine();
}

// A long document shown in an empty view reads only its last lines, where the caret of a load goes.
TEST_F(PlainTextViewTest, LongDocumentIsShownFromItsEndReadingOnlyTheWindow)
{
    showDocument(100000);
    EXPECT_EQ(reads, kWindow);
    EXPECT_EQ(view.firstLine(), 100000 - kWindow);
    expectInLine();
    view.caretToEnd();
    EXPECT_EQ(caretLine(), 99999u);
    EXPECT_EQ(reads, kWindow);
}

// While the view holds a window, the scroll bar shown spans the whole document: it stands at the line at
// the top of the view, and moving it anywhere brings that line to the top.
TEST_F(PlainTextViewTest, DocumentScrollBarSpansTheWholeDocument)
{
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    showDocument(100);
    QApplication::processEvents();
    QScrollBar* bar = view.documentScrollBar();
    EXPECT_FALSE(bar->isVisibleTo(&view));
    EXPECT_TRUE(view.verticalScrollBar()->isVisibleTo(&view));

    showDocument(100000);
    view.caretToEnd();
    QApplication::processEvents();
    EXPECT_TRUE(bar->isVisibleTo(&view));
    EXPECT_FALSE(view.verticalScrollBar()->isVisibleTo(&view));
    const auto top
        = [&] { return view.firstLine() + static_cast<std::size_t>(view.verticalScrollBar()->value()); };
    EXPECT_EQ(static_cast<std::size_t>(bar->value()), top());
    EXPECT_GT(top(), 100000u - 30u) << "the view stands at the document's end";
    EXPECT_GT(bar->value(), bar->maximum() - 2);

    for (const int line : { 0, 50000, 50010, 99000 }) {
        bar->setValue(line);
        QApplication::processEvents();
        EXPECT_EQ(top(), static_cast<std::size_t>(line)) << line;
        EXPECT_EQ(bar->value(), line);
        expectInLine();
    }
}

// The document changes by one line before, inside, just after and far after the window: the view holds
// the same lines of the document afterwards.
struct ChangeCase {
    const char* name;
    char kind; // 'i'nsert, 'r'emove, 'p' replace
    long long offset; // from the window's first line
};

class PlainTextViewChangeTest : public PlainTextViewTest,
                                public ::testing::WithParamInterface<ChangeCase> { };

TEST_P(PlainTextViewChangeTest, ViewFollowsTheDocument)
{
    const ChangeCase& c = GetParam();
    showDocument(60000);
    // A window in the middle: the view scrolled to its start moves it there.
    scrollToWindowTop();
    const std::size_t first = view.firstLine();
    ASSERT_GT(first, 0u);
    ASSERT_LT(first + view.windowLines(), lines.size());
    const auto index = static_cast<std::size_t>(static_cast<long long>(first) + c.offset);
    const QString text = QStringLiteral("changed");
    if (c.kind == 'i') {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(index), text);
        view.insertLine(index, text);
    } else if (c.kind == 'r') {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(index));
        view.removeLine(index);
    } else {
        lines.at(index) = text;
        view.replaceLine(index, text);
    }
    expectInLine();
}

INSTANTIATE_TEST_SUITE_P(Places, PlainTextViewChangeTest,
    ::testing::Values(ChangeCase { "InsertBefore", 'i', -5 }, ChangeCase { "InsertAtFirst", 'i', 0 },
        ChangeCase { "InsertInside", 'i', 100 }, ChangeCase { "InsertJustAfter", 'i', kWindow },
        ChangeCase { "InsertFarAfter", 'i', kWindow + 500 }, ChangeCase { "RemoveBefore", 'r', -1 },
        ChangeCase { "RemoveFirst", 'r', 0 }, ChangeCase { "RemoveLastOfWindow", 'r', kWindow - 1 },
        ChangeCase { "RemoveAfter", 'r', kWindow }, ChangeCase { "ReplaceBefore", 'p', -1 },
        ChangeCase { "ReplaceInside", 'p', 7 }, ChangeCase { "ReplaceAfter", 'p', kWindow + 3 }),
    [](const auto& info) { return std::string(info.param.name); });

// Lines appended to a document whose end is shown come into the view (entries made after a load).
TEST_F(PlainTextViewTest, LinesAppendedAfterTheShownEndAreShown)
{
    showDocument(50000);
    for (int i = 0; i < 4; ++i) {
        lines.push_back(QStringLiteral("new %1").arg(i));
        view.insertLine(lines.size() - 1, lines.back());
    }
    expectInLine();
    EXPECT_EQ(block(view.windowLines() - 1), QStringLiteral("new 3"));
}

// Scrolling near an end of the window moves it: the line at the top of the view and the caret stay on
// their lines of the document, and the window moves on until the document's start.
TEST_F(PlainTextViewTest, ScrollingNearTheWindowsEndsMovesItAndKeepsThePlace)
{
    showDocument(30000);
    view.caretToEnd();
    QTextCursor cursor = view.textCursor();
    cursor.setPosition(view.document()->findBlockByNumber(static_cast<int>(kWindow / 3)).position() + 2);
    view.setTextCursor(cursor);
    const std::size_t caret = caretLine();

    view.verticalScrollBar()->setValue(10);
    const std::size_t top = view.firstLine() + 10;
    QApplication::processEvents();
    EXPECT_LT(view.firstLine(), 30000 - kWindow);
    EXPECT_EQ(view.firstLine() + static_cast<std::size_t>(view.verticalScrollBar()->value()), top);
    EXPECT_EQ(caretLine(), caret);
    EXPECT_EQ(view.textCursor().positionInBlock(), 2);
    expectInLine();

    for (int step = 0; step < 100 && view.firstLine() > 0; ++step)
        scrollToWindowTop();
    scrollToWindowTop();
    EXPECT_EQ(view.firstLine(), 0u);
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);
    expectInLine();
    // The caret, left far below, came along to a line the view holds, at the start of that line.
    EXPECT_LT(caretLine(), kWindow);
    EXPECT_EQ(view.textCursor().positionInBlock(), 0);
}

} // namespace
} // namespace vantor

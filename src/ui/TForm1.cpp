#include "TForm1.h"

#include "Fonts.h"
#include "KeyCodes.h"
#include "MainController.h"
#include "PlainTextView.h"
#include "WindowKeys.h"
#include "ports/Dialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextFormat>

#include <QVBoxLayout>
#include <utility>

#include <memory>

namespace vantor {

namespace {

const QString kSansSerif = QStringLiteral("MS Sans Serif");
// The shortest time between two drawings of the position label: a 60 Hz screen's refresh.
constexpr int kLabel1Interval = 16;
// Pixels from one help line to the next: 18 lines fill the memo's 241 px.
constexpr int kHelpLineHeight = 13;

QFrame* makePanel(QWidget* parent, const char* name, QFrame::Shadow shadow = QFrame::Raised)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | shadow);
    panel->setLineWidth(1);
    return panel;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QFont& font)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QString& hint)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFont(designFont(kSansSerif, 16));
    if (!hint.isEmpty())
        button->setToolTip(hint);
    return button;
}

// The text holders: plain text only, both scroll bars always, no wrapping.
QPlainTextEdit* makeTextHolder(
    QWidget* parent, const char* name, const QFont& font, QPlainTextEdit* edit = nullptr)
{
    if (!edit)
        edit = new QPlainTextEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setFont(font);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return edit;
}

QLineEdit* makeTimeField(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setFont(designFont(kSansSerif, 16, true));
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::Text, QColor(0, 255, 0));
    edit->setPalette(palette);
    return edit;
}

} // namespace

QStringList TForm1::helpLines()
{
    return {
        tr("                 说 明"),
        tr("1) 本软件用于视频字幕快速制作(SRT外挂"),
        tr("   字幕)。"),
        tr("2) 打开视频文件后，如果字幕文件存在，"),
        tr("   提示是否进行编辑。如果不编辑，则新"),
        tr("   建字幕文件并自动保存，同时把相同的"),
        tr("   字幕文件更新成bak文件。"),
        tr("3) 在添加字幕时，可随时修改字幕。字幕"),
        tr("   只有一个字时无法删除，可以先添加别"),
        tr("   的文字再删除。"),
        tr("4) 自动保存两个文件: 带字体格式SRT和不"),
        tr("   带字体格式SRT文件。 "),
        tr("5) 具有字体设置功能、字幕文件全程自动"),
        tr("   保存功能、修改已有字幕文件功能。"),
        tr("6) 制作双语字幕，需把制成的字幕在文本"),
        tr("   中复制一遍，放在最前或最后。自定义"),
        tr("   字体需要去掉pos()\\即可，缺省字体不"),
        tr("   需删除pos()\\。"),
    };
}

TForm1::TForm1(Dialogs& dialogs, QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
            | Qt::WindowCloseButtonHint)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(tr("SRT外挂字幕制作(免费)"));
    setFont(designFont(kSansSerif, 11));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    resize(728, 504);
    buildControls();
    // Timer1 ticks every millisecond while the core says a tick can find something new (playing, opening,
    // seeking); otherwise it rests until a handler ends or the player has news, so an idle window costs no
    // CPU. The first tick comes once the window is attached to its behaviour.
    m_timer1.setObjectName(QStringLiteral("Timer1"));
    m_label1Timer.setSingleShot(true);
    m_label1Timer.setInterval(kLabel1Interval);
    connect(&m_label1Timer, &QTimer::timeout, this, [this] {
        if (m_label1Pending)
            showLabel1(*std::exchange(m_label1Pending, std::nullopt));
    });
    m_timer1.setTimerType(Qt::PreciseTimer);
    m_timer1.setInterval(1);
    connect(&m_timer1, &QTimer::timeout, this, &TForm1::onTimer);
    m_timer1.start();
}

TForm1::~TForm1()
{
    m_timer1.stop();
}

void TForm1::buildControls()
{
    m_panel1 = makePanel(this, "Panel1");
    m_panel1->setGeometry(0, 0, 728, 504);
    QWidget* p = m_panel1;

    auto* label1 = makeLabel(p, "Label1", QString(), designFont(kSansSerif, 16, true));
    label1->move(502, 11);
    auto* label2 = makeLabel(p, "Label2", QString(), designFont(kSansSerif, 11));
    label2->move(33, 432);
    auto* label4 = makeLabel(p, "Label4", tr("当前位置：  "), designFont(kSansSerif, 15));
    label4->setGeometry(419, 12, 75, 16);
    auto* label3 = makeLabel(p, "Label3", tr("Vantor 快速字幕制作 V 7.0 · 免费软件 · 自动保存 SRT 字幕"),
        designFont(QStringLiteral("MS Serif"), 11));
    label3->setStyleSheet(QStringLiteral("color: grey"));
    label3->move(17, 480);
    auto* label5 = makeLabel(p, "Label5", QStringLiteral("Vantor  "),
        designFont(QStringLiteral("Monotype Corsiva"), 24, true, true));
    label5->move(34, 6);
    auto* label6 = makeLabel(p, "Label6", tr("F9播放   "), designFont(QStringLiteral("黑体"), 11));
    label6->setStyleSheet(QStringLiteral("color: black"));
    label6->move(351, 92);
    auto* label7 = makeLabel(p, "Label7", tr("快速字幕制作 "), designFont(QStringLiteral("楷体_GB2312"), 16));
    label7->move(106, 16);
    auto* label8 = makeLabel(p, "Label8", QStringLiteral("V 7.0  "),
        designFont(QStringLiteral("Monotype Corsiva"), 16, false, true));
    label8->move(207, 15);
    for (QLabel* label : { label1, label2, label3, label5, label6, label7, label8 })
        label->adjustSize();

    m_panel2 = makePanel(p, "Panel2", QFrame::Sunken);
    m_panel2->setGeometry(32, 107, 355, 310);

    auto* edit1 = makeTimeField(p, "Edit1");
    edit1->setGeometry(419, 40, 136, 28);
    auto* edit2 = makeTimeField(p, "Edit2");
    edit2->setGeometry(563, 40, 136, 28);

    auto* startButton = makeButton(p, "StartTimeButton", tr("[F9]本句起始时间"), tr("[F9]键 起始时间"));
    startButton->setGeometry(419, 76, 136, 38);
    auto* endButton = makeButton(p, "EndTimeButton", tr("[F10]本句终止时间"), tr("[F10]键 终止时间"));
    endButton->setGeometry(563, 76, 136, 38);
    auto* openButton = makeButton(p, "OpenButton", tr("打开视频[&O]"), QString());
    openButton->setGeometry(32, 63, 99, 38);

    auto* inputEdit = new QLineEdit(p);
    inputEdit->setObjectName(QStringLiteral("InputEdit"));
    inputEdit->setFont(designFont(kSansSerif, 16));
    inputEdit->setToolTip(tr("回车结束本句并自动保存"));
    inputEdit->setGeometry(419, 135, 279, 28);
    inputEdit->installEventFilter(this);

    auto* panel3 = makePanel(p, "Panel3");
    panel3->setGeometry(419, 172, 282, 260);
    auto* memo1 = new QTextEdit(panel3);
    memo1->setObjectName(QStringLiteral("Memo1"));
    memo1->setFont(designFont(QStringLiteral("楷体_GB2312"), 13));
    memo1->setLineWrapMode(QTextEdit::NoWrap);
    memo1->setGeometry(5, 3, 270, 241);
    memo1->setPlainText(helpLines().join(QLatin1Char('\n')));
    memo1->setFrameStyle(QFrame::NoFrame);
    // The substitute Kai font spaces its 13 px lines 15 px apart, and only 16 of the 18 lines would fit the
    // memo, which cannot scroll: 13 px a line keeps the glyphs' size and shows every line (a plain-text
    // control ignores line heights, hence a rich-text one holding plain text).
    memo1->document()->setDocumentMargin(2);
    QTextCursor wholeHelp(memo1->document());
    wholeHelp.select(QTextCursor::Document);
    QTextBlockFormat helpLineHeight;
    helpLineHeight.setLineHeight(kHelpLineHeight, QTextBlockFormat::FixedHeight);
    wholeHelp.mergeBlockFormat(helpLineHeight);
    memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo1->setEnabled(false);
    QPalette helpPalette = memo1->palette();
    for (const auto group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
        helpPalette.setColor(group, QPalette::Base, helpPalette.color(QPalette::Active, QPalette::Button));
        helpPalette.setColor(group, QPalette::Text, Qt::black);
    }
    memo1->setPalette(helpPalette);

    auto* bitBtn1 = new QPushButton(tr("字体设置[&F]"), p);
    bitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    bitBtn1->setGeometry(144, 63, 99, 38);

    auto* memo2 = makeTextHolder(p, "Memo2", designFont(QStringLiteral("宋体"), 11));
    memo2->setGeometry(334, 392, 51, 73);
    memo2->hide();
    auto* tempRichEdit = makeTextHolder(p, "TempRichEdit", designFont(kSansSerif, 11));
    tempRichEdit->setGeometry(419, 186, 284, 230);
    tempRichEdit->setFocusPolicy(Qt::NoFocus);
    tempRichEdit->hide();
    auto* userRichEdit
        = makeTextHolder(p, "UserRichEdit", designFont(QStringLiteral("宋体"), 16), new PlainTextView(p));
    userRichEdit->setGeometry(419, 186, 284, 230);
    // The documents are the only history; an undo inside the view would bypass them.
    userRichEdit->setUndoRedoEnabled(false);
    userRichEdit->installEventFilter(this);
    userRichEdit->setToolTip(tr("修改后自动保存"));
    userRichEdit->hide();
    // The plain view keeps its selection visible without the focus.
    QPalette plainPalette = userRichEdit->palette();
    plainPalette.setColor(
        QPalette::Inactive, QPalette::Highlight, plainPalette.color(QPalette::Active, QPalette::Highlight));
    plainPalette.setColor(QPalette::Inactive, QPalette::HighlightedText,
        plainPalette.color(QPalette::Active, QPalette::HighlightedText));
    userRichEdit->setPalette(plainPalette);

    auto* editButton = makeButton(this, "EditButton", tr("[F7]修改"), tr("[F7]键 修改"));
    editButton->setGeometry(419, 434, 136, 38);
    auto* continueButton = makeButton(this, "ContinueButton", tr("[F8]继续"), tr("[F8]键 继续"));
    continueButton->setGeometry(563, 434, 136, 38);

    // Tab order: the panel's controls in their order, then the two buttons on the window.
    QWidget* tabOrder[] = { openButton, bitBtn1, startButton, endButton, inputEdit, userRichEdit, memo2,
        editButton, continueButton };
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);

    m_controls = {
        { Control::Label1, label1 },
        { Control::Label2, label2 },
        { Control::Label3, label3 },
        { Control::Edit1, edit1 },
        { Control::Edit2, edit2 },
        { Control::InputEdit, inputEdit },
        { Control::StartTimeButton, startButton },
        { Control::EndTimeButton, endButton },
        { Control::OpenButton, openButton },
        { Control::EditButton, editButton },
        { Control::ContinueButton, continueButton },
        { Control::BitBtn1, bitBtn1 },
        { Control::Panel3, panel3 },
        { Control::UserRichEdit, userRichEdit },
    };
}

template <typename Handler> void TForm1::forward(Handler handler)
{
    if (m_controller)
        guarded([this, handler] { (m_controller->*handler)(); });
}

void TForm1::attach(MainController& controller)
{
    m_controller = &controller;
    const auto button
        = [this](Control control) { return qobject_cast<QPushButton*>(m_controls.at(control)); };
    connect(button(Control::OpenButton), &QPushButton::clicked, this,
        [this] { forward(&MainController::OpenButtonClick); });
    connect(button(Control::StartTimeButton), &QPushButton::clicked, this,
        [this] { forward(&MainController::StartTimeButtonClick); });
    connect(button(Control::EndTimeButton), &QPushButton::clicked, this,
        [this] { forward(&MainController::EndTimeButtonClick); });
    connect(button(Control::BitBtn1), &QPushButton::clicked, this,
        [this] { forward(&MainController::BitBtn1Click); });
    connect(button(Control::EditButton), &QPushButton::clicked, this,
        [this] { forward(&MainController::EditButtonClick); });
    connect(button(Control::ContinueButton), &QPushButton::clicked, this,
        [this] { forward(&MainController::ContinueButtonClick); });
    controller.setTickRequestHandler([this] { requestTicks(); });
    PlainTextView* plain = plainView();
    connect(plain, &PlainTextView::mouseButtonChanged, this,
        [this] { forward(&MainController::UserRichEditMouseDown); });
    connect(plain->document(), &QTextDocument::contentsChange, this, &TForm1::onPlainContentsChange);
    // Only the user's edits: the window's own setText() of the field emits no textEdited.
    connect(qobject_cast<QLineEdit*>(m_controls.at(Control::InputEdit)), &QLineEdit::textEdited, this,
        [this] { forward(&MainController::InputEditChange); });
    // Ctrl+T shows or hides the subtitles on the picture; no field of the window takes it.
    auto* overlayKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), this);
    overlayKey->setObjectName(QStringLiteral("OverlayShortcut"));
    connect(overlayKey, &QShortcut::activated, this, [this] { forward(&MainController::toggleOverlay); });
    createWindowShortcuts();
}

QWidget* TForm1::videoPanel() const
{
    return m_panel2;
}

void TForm1::setVideoSurface(QWidget* surface)
{
    surface->setParent(m_panel2);
    surface->setObjectName(QStringLiteral("WP"));
    surface->setGeometry(1, 1, 353, 308);
    surface->setFocusPolicy(Qt::NoFocus);
    surface->show();
}

void TForm1::onPlainContentsChange(int position, int, int)
{
    PlainTextView* plain = plainView();
    if (m_mirroring || plain->fillingWindow() || !m_controller)
        return;
    QTextDocument* document = plain->document();
    const std::size_t blocks = static_cast<std::size_t>(document->blockCount());
    if (blocks != std::max<std::size_t>(1, plain->windowLines())) {
        // An edit that changed the line structure slipped past the guards: show the document again
        // rather than let the view and the documents fall out of line.
        QTimer::singleShot(0, this, [this] { guarded([this] { m_controller->refreshPlainView(); }); });
        return;
    }
    if (plain->lineCount() == 0)
        return;
    const QTextBlock block = document->findBlock(position);
    const auto index = plain->firstLine() + static_cast<std::size_t>(block.blockNumber());
    const std::string text = block.text().toStdString();
    guarded([this, index, &text] { m_controller->plainLineEdited(index, text); });
}

namespace {

// True for a key that would change the text under a selection.
bool editsText(const QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Paste)
        || event->matches(QKeySequence::Delete) || event->key() == Qt::Key_Backspace
        || event->key() == Qt::Key_Delete)
        return true;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint();
}

} // namespace

bool TForm1::plainKeyEvent(QKeyEvent* event, bool keyUp)
{
    if (!m_controller)
        return false;
    if (!keyUp) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            return true; // the plain view takes no line break from Enter
        const QTextCursor cursor = plainView()->textCursor();
        const QTextDocument* document = plainView()->document();
        if (cursor.hasSelection() && editsText(event)
            && document->findBlock(cursor.selectionStart()) != document->findBlock(cursor.selectionEnd()))
            return true; // an edit across lines would break the line structure
    }
    bool discard = false;
    guarded([&] { discard = m_controller->UserRichEditKeyDown(keyCode(*event), keyUp); });
    return discard;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    const bool press = event->type() == QEvent::KeyPress;
    const bool release = event->type() == QEvent::KeyRelease;
    if (!press && !release)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (windowKeyEvent(watched, key, release))
        return true;
    if (watched == m_controls.at(Control::UserRichEdit))
        return plainKeyEvent(key, release);
    if (watched == m_controls.at(Control::InputEdit) && press && m_controller) {
        // The key goes on to the field's own handling afterwards.
        const int code = keyCode(*key);
        guarded([this, code] { m_controller->InputEditKeyDown(code); });
    }
    return QWidget::eventFilter(watched, event);
}

PlainTextView* TForm1::plainView() const
{
    return static_cast<PlainTextView*>(m_controls.at(Control::UserRichEdit));
}

void TForm1::plainViewReset(const std::vector<std::string>& lines)
{
    auto copy = std::make_shared<const std::vector<std::string>>(lines);
    plainViewShow(lines.size(), [copy](std::size_t index) { return copy->at(index); });
}

void TForm1::plainViewShow(std::size_t lineCount, const PlainLineReader& line)
{
    const MirrorGuard guard(m_mirroring);
    plainView()->resetLines(
        lineCount, [line](std::size_t index) { return QString::fromStdString(line(index)); });
}

void TForm1::plainViewInsertLine(std::size_t index, const std::string& line)
{
    const MirrorGuard guard(m_mirroring);
    plainView()->insertLine(index, QString::fromStdString(line));
}

void TForm1::plainViewRemoveLine(std::size_t index)
{
    const MirrorGuard guard(m_mirroring);
    plainView()->removeLine(index);
}

void TForm1::plainViewReplaceLine(std::size_t index, const std::string& line)
{
    const MirrorGuard guard(m_mirroring);
    plainView()->replaceLine(index, QString::fromStdString(line));
}

void TForm1::plainCaretToEnd()
{
    const MirrorGuard guard(m_mirroring);
    plainView()->caretToEnd();
}

int TForm1::plainSelectionStartLine() const
{
    const QTextCursor cursor = plainView()->textCursor();
    const int block = plainView()->document()->findBlock(cursor.selectionStart()).blockNumber();
    return static_cast<int>(plainView()->firstLine()) + block;
}

int TForm1::plainCaretColumn() const
{
    return plainView()->textCursor().positionInBlock();
}

void TForm1::setPlainReadOnly(bool readOnly)
{
    plainView()->setReadOnly(readOnly);
    // Read-only stops typing on an empty line, not the caret: the arrow keys must still lead away from
    // it (edit mode starts on the empty last line), which a read-only Qt text view does not allow.
    if (readOnly)
        plainView()->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

QWidget* TForm1::control(Control control) const
{
    return m_controls.at(control);
}

std::string TForm1::text(Control control) const
{
    if (control == Control::Label1 && m_label1Pending)
        return m_label1Pending->toStdString();
    QWidget* widget = m_controls.at(control);
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text().toStdString();
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text().toStdString();
    if (auto* button = qobject_cast<QPushButton*>(widget))
        return button->text().toStdString();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(widget))
        return plain->toPlainText().toStdString();
    return {};
}

void TForm1::showLabel1(const QString& text)
{
    auto* label = static_cast<QLabel*>(m_controls.at(Control::Label1));
    if (label->text() != text) {
        label->setText(text);
        label->adjustSize();
    }
    m_label1Shown.restart();
}

void TForm1::setText(Control control, const std::string& text)
{
    QWidget* widget = m_controls.at(control);
    const QString value = QString::fromStdString(text);
    if (control == Control::Label1) {
        // Drawing the milliseconds at every 1 ms tick would repaint the label a thousand times a second.
        if (m_label1Shown.isValid() && m_label1Shown.elapsed() < kLabel1Interval) {
            m_label1Pending = value;
            if (!m_label1Timer.isActive())
                m_label1Timer.start();
        } else {
            m_label1Pending.reset();
            showLabel1(value);
        }
        return;
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        if (label->text() != value) {
            label->setText(value);
            label->adjustSize();
        }
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        if (edit->text() != value)
            edit->setText(value);
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
        button->setText(value);
    }
}

bool TForm1::isEnabled(Control control) const
{
    return m_controls.at(control)->isEnabled();
}
void TForm1::setEnabled(Control control, bool enabled)
{
    m_controls.at(control)->setEnabled(enabled);
}
bool TForm1::isVisible(Control control) const
{
    return !m_controls.at(control)->isHidden();
}
void TForm1::setVisible(Control control, bool visible)
{
    m_controls.at(control)->setVisible(visible);
}
void TForm1::setFocus(Control control)
{
    m_controls.at(control)->setFocus(Qt::OtherFocusReason);
}
int TForm1::videoPanelWidth() const
{
    return m_panel2->width();
}
int TForm1::videoPanelHeight() const
{
    return m_panel2->height();
}

void TForm1::guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        m_dialogs.reportError(error.what());
    }
}

void TForm1::requestTicks()
{
    // A handler or the player changed something: the next tick comes at once, however relaxed the last was.
    if (!m_released && (!m_timer1.isActive() || m_timer1.interval() != 1))
        m_timer1.start(1);
}

void TForm1::onTimer()
{
    if (!m_controller)
        return;
    try {
        m_controller->Timer1Timer();
        m_lastTickError.clear();
    } catch (const std::exception& error) {
        // A failing player fails every tick: tell the user once, not a thousand times a second.
        if (m_lastTickError != error.what()) {
            m_lastTickError = error.what();
            m_dialogs.reportError(m_lastTickError);
        }
    }
    // The tick that just ran showed the labels as they stay until a handler or the player changes
    // something, and either asks for ticks again. A player that cannot even answer this fails every tick.
    bool again = false;
    int next = 1;
    try {
        again = m_controller->needsTick();
        if (again)
            next = m_controller->nextTickMs();
    } catch (const std::exception&) {
    }
    if (!again)
        m_timer1.stop();
    else if (next != m_timer1.interval())
        m_timer1.setInterval(next);
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    if (const QScreen* screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - frameGeometry().center() + pos());
    }
    if (m_controller)
        guarded([this] { m_controller->FormShow(); });
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_panel1->setGeometry(rect());
    if (m_controller)
        guarded([this] { m_controller->FormResize(); });
}

void TForm1::closeEvent(QCloseEvent* event)
{
    m_timer1.stop();
    if (!m_released && m_controller) {
        m_released = true;
        guarded([this] { m_controller->FormClose(); });
    }
    event->accept();
}

void TForm1::createWindowShortcuts()
{
    for (const WindowKey& key : windowKeys()) {
        if (key.command == WindowCommand::None)
            continue;
        for (const QKeySequence& sequence : key.keys) {
            auto* shortcut = new QShortcut(sequence, this);
            shortcut->setContext(Qt::WindowShortcut);
            connect(shortcut, &QShortcut::activated, this,
                [this, command = static_cast<int>(key.command)] { runWindowCommand(command); });
        }
    }
}

bool TForm1::windowKeyEvent(QObject* watched, QKeyEvent* event, bool release)
{
    QWidget* plain = m_controls.at(Control::UserRichEdit);
    if (watched != plain && watched != m_controls.at(Control::InputEdit))
        return false;
    if (const WindowCommand command = windowCommandOf(*event); command != WindowCommand::None) {
        // Normally the window's shortcut has taken the key-down already; the key-up must not reach the view.
        if (!release)
            runWindowCommand(static_cast<int>(command));
        m_holdModifiers = watched == plain;
        return true;
    }
    if (watched != plain)
        return false;
    if (const HistoryKey history = historyKeyOf(*event); history != HistoryKey::None) {
        if (!release && m_controller) {
            guarded([this, history] {
                if (history == HistoryKey::Undo)
                    m_controller->plainUndo();
                else
                    m_controller->plainRedo();
            });
        }
        return true;
    }
    if (!m_holdModifiers)
        return false;
    // Key-ups (in whatever order the keys of the chord come up) and modifier presses stay held; the next
    // other key goes to the view as always.
    switch (event->key()) {
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Shift:
    case Qt::Key_Meta:
        return true;
    default:
        if (release)
            return true;
        m_holdModifiers = false;
        return false;
    }
}

void TForm1::runWindowCommand(int command)
{
    if (!m_controller)
        return;
    m_holdModifiers = focusWidget() == plainView();
    guarded([this, command] {
        switch (static_cast<WindowCommand>(command)) {
        case WindowCommand::Slower:
            m_controller->slowerPlayback();
            break;
        case WindowCommand::Faster:
            m_controller->fasterPlayback();
            break;
        case WindowCommand::NormalSpeed:
            m_controller->normalPlayback();
            break;
        case WindowCommand::BackOne:
            m_controller->seekBy(-1);
            break;
        case WindowCommand::ForwardOne:
            m_controller->seekBy(1);
            break;
        case WindowCommand::BackFive:
            m_controller->seekBy(-5);
            break;
        case WindowCommand::ForwardFive:
            m_controller->seekBy(5);
            break;
        case WindowCommand::PlayPause:
            m_controller->togglePlayback();
            break;
        case WindowCommand::TimingDialog:
            m_controller->timingDialog();
            break;
        case WindowCommand::Help:
            showKeyHelp();
            break;
        case WindowCommand::None:
            break;
        }
    });
}

void TForm1::showKeyHelp()
{
    if (!m_keyHelp) {
        auto* dialog = new QDialog(this);
        dialog->setObjectName(QStringLiteral("KeyHelp"));
        dialog->setWindowTitle(tr("按键说明"));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        auto* text = new QPlainTextEdit(dialog);
        text->setObjectName(QStringLiteral("KeyHelpText"));
        text->setReadOnly(true);
        text->setLineWrapMode(QPlainTextEdit::NoWrap);
        text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        text->setPlainText(keyHelpText());
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
        connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
        auto* layout = new QVBoxLayout(dialog);
        layout->addWidget(text);
        layout->addWidget(buttons);
        dialog->resize(560, 460);
        m_keyHelp = dialog;
    }
    m_keyHelp->show();
    m_keyHelp->raise();
    m_keyHelp->activateWindow();
}

} // namespace vantor

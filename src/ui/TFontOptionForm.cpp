#include "TFontOptionForm.h"

#include "Fonts.h"
#include "KeyCodes.h"
#include "ports/Dialogs.h"
#include "ports/Keys.h"
#include "style/FontOptions.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

namespace vantor {

namespace {

const QString kSansSerif = QStringLiteral("MS Sans Serif");

QFrame* makePanel(
    QWidget* parent, const char* name, const QRect& place, QFrame::Shadow shadow = QFrame::Raised)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | shadow);
    panel->setLineWidth(1);
    panel->setGeometry(place);
    return panel;
}

QLabel* makeLabel(QWidget* parent, const QString& text, const QRect& place)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(place);
    return label;
}

QLineEdit* makePositionField(QWidget* parent, const char* name, const QString& text, const QRect& place)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(place);
    // Characters are filtered key by key; an input method would bypass that.
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    return edit;
}

QComboBox* makeList(QWidget* parent, const char* name, const QRect& place)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setEditable(false);
    list->setGeometry(place);
    list->setFocusPolicy(Qt::ClickFocus);
    list->hide();
    return list;
}

bool isEnterKey(const QKeyEvent& event)
{
    return keyCode(event) == keys::kEnter;
}

} // namespace

TFontOptionForm::TFontOptionForm(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("FontOptionForm"));
    setWindowTitle(tr("字体设置"));
    setFont(designFont(kSansSerif, 11));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    // The designed outer size 387 x 312 less a sizeable frame and title bar (8 and 34 pixels).
    resize(379, 278);
    buildControls();
}

void TFontOptionForm::buildControls()
{
    m_checkBoxDefault = new QCheckBox(tr("缺省"), this);
    m_checkBoxDefault->setObjectName(QStringLiteral("CheckBoxDefault"));
    m_checkBoxDefault->setGeometry(136, 16, 51, 17);
    m_checkBoxDefault->setChecked(true);

    auto* saveButton = new QPushButton(tr("保存[&S]"), this);
    saveButton->setObjectName(QStringLiteral("SaveButton"));
    saveButton->setGeometry(145, 227, 75, 25);
    // No default button: Enter presses the save button only while it has the focus (see eventFilter).
    saveButton->setAutoDefault(false);
    saveButton->installEventFilter(this);

    auto* panel2 = makePanel(this, "Panel2", QRect(40, 32, 297, 193));
    panel2->setFrameStyle(QFrame::NoFrame);

    makeLabel(panel2, tr("字体颜色："), QRect(49, 26, 60, 13));
    makeLabel(panel2, tr("字体名称："), QRect(49, 66, 60, 13));
    makeLabel(panel2, tr("字体大小："), QRect(49, 108, 60, 13));
    makeLabel(panel2, tr("字幕位置："), QRect(49, 149, 60, 13));

    m_panelColor = makePanel(panel2, "PanelColor", QRect(128, 19, 123, 28));
    auto* panelPos = makePanel(panel2, "PanelPos", QRect(128, 141, 123, 28));
    auto* panel5 = makePanel(panelPos, "Panel5", QRect(0, 0, 123, 28));
    makeLabel(panel5, tr("左:"), QRect(2, 7, 15, 13));
    m_edit1 = makePositionField(panel5, "Edit1", QStringLiteral("190"), QRect(20, 3, 34, 21));
    makeLabel(panel5, tr("上:"), QRect(66, 7, 15, 13));
    m_edit2 = makePositionField(panel5, "Edit2", QStringLiteral("270"), QRect(84, 3, 34, 21));
    m_panelName = makePanel(panel2, "PanelName", QRect(128, 59, 123, 28));
    m_fontNameComboBox = makeList(m_panelName, "FontNameComboBox", QRect(0, 5, 123, 19));
    m_panelSize = makePanel(panel2, "PanelSize", QRect(128, 101, 123, 28));
    m_fontSizeComboBox = makeList(m_panelSize, "FontSizeComboBox", QRect(0, 2, 123, 19));

    // The three click panels show their caption centred, take the focus by Tab, and report clicks.
    for (QFrame* panel : { m_panelColor, m_panelName, m_panelSize }) {
        auto* caption = new QLabel(panel);
        caption->setGeometry(panel->rect());
        caption->setAlignment(Qt::AlignCenter);
        caption->setAttribute(Qt::WA_TransparentForMouseEvents);
        caption->lower();
        m_captions[panel] = caption;
        panel->setFocusPolicy(Qt::StrongFocus);
        panel->installEventFilter(this);
    }
    // The panel fills with its own Window colour: without a role of its own it would take the dialog's
    // Button role and show the button face whatever colour it names.
    m_panelColor->setBackgroundRole(QPalette::Window);
    m_panelColor->setAutoFillBackground(true);
    for (QLineEdit* edit : { m_edit1, m_edit2 })
        edit->installEventFilter(this);

    // Tab order: check box, save button, then Panel2's rows: colour, the two positions, name, size.
    QWidget* tabOrder[]
        = { m_checkBoxDefault, saveButton, m_panelColor, m_edit1, m_edit2, m_panelName, m_panelSize };
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);

    m_controls = {
        { FontOptionControl::CheckBoxDefault, m_checkBoxDefault },
        { FontOptionControl::SaveButton, saveButton },
        { FontOptionControl::Panel2, panel2 },
        { FontOptionControl::PanelColor, m_panelColor },
        { FontOptionControl::PanelName, m_panelName },
        { FontOptionControl::PanelSize, m_panelSize },
        { FontOptionControl::Edit1, m_edit1 },
        { FontOptionControl::Edit2, m_edit2 },
        { FontOptionControl::FontNameComboBox, m_fontNameComboBox },
        { FontOptionControl::FontSizeComboBox, m_fontSizeComboBox },
    };

    // Only the user's clicks run the handler; the core runs it itself when it sets the box.
    connect(m_checkBoxDefault, &QCheckBox::clicked, this,
        [this] { guarded([this] { m_handlers->CheckBoxDefaultClick(); }); });
    connect(saveButton, &QPushButton::clicked, this,
        [this] { guarded([this] { m_handlers->SaveButtonClick(); }); });
    connect(m_fontNameComboBox, &QComboBox::activated, this,
        [this] { guarded([this] { m_handlers->FontNameComboBoxChange(); }); });
    connect(m_fontSizeComboBox, &QComboBox::activated, this,
        [this] { guarded([this] { m_handlers->FontSizeComboBoxChange(); }); });
}

void TFontOptionForm::attach(FontOptions& handlers)
{
    m_handlers = &handlers;
}

QWidget* TFontOptionForm::control(FontOptionControl control) const
{
    return m_controls.at(control);
}

QColor TFontOptionForm::toQColor(std::uint32_t colour)
{
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
        static_cast<int>((colour >> 16) & 0xFF));
}

std::uint32_t TFontOptionForm::fromQColor(const QColor& colour)
{
    return static_cast<std::uint32_t>(colour.red()) | (static_cast<std::uint32_t>(colour.green()) << 8)
        | (static_cast<std::uint32_t>(colour.blue()) << 16);
}

bool TFontOptionForm::isDefaultTicked() const
{
    return m_checkBoxDefault->isChecked();
}

void TFontOptionForm::setDefaultTicked(bool ticked)
{
    m_checkBoxDefault->setChecked(ticked);
}

std::string TFontOptionForm::text(FontOptionControl control) const
{
    QWidget* widget = m_controls.at(control);
    if (auto* panel = qobject_cast<QFrame*>(widget); panel && m_captions.contains(panel))
        return m_captions.at(panel)->text().toStdString();
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text().toStdString();
    if (auto* list = qobject_cast<QComboBox*>(widget))
        return list->currentText().toStdString();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text().toStdString();
    return {};
}

void TFontOptionForm::setText(FontOptionControl control, const std::string& text)
{
    QWidget* widget = m_controls.at(control);
    const QString value = QString::fromStdString(text);
    if (auto* panel = qobject_cast<QFrame*>(widget); panel && m_captions.contains(panel))
        m_captions.at(panel)->setText(value);
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(value);
    else if (auto* list = qobject_cast<QComboBox*>(widget))
        list->setCurrentIndex(list->findText(value));
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(value);
}

void TFontOptionForm::setColorPanelColor(std::uint32_t colour)
{
    QPalette palette = m_panelColor->palette();
    palette.setColor(QPalette::Window, toQColor(colour));
    m_panelColor->setPalette(palette);
}

void TFontOptionForm::setEnabled(FontOptionControl control, bool enabled)
{
    m_controls.at(control)->setEnabled(enabled);
}

void TFontOptionForm::setVisible(FontOptionControl control, bool visible)
{
    QWidget* widget = m_controls.at(control);
    widget->setVisible(visible);
    // A shown list lies over its panel's caption.
    if (visible)
        widget->raise();
}

void TFontOptionForm::setItems(FontOptionControl list, const std::vector<std::string>& items)
{
    auto* combo = qobject_cast<QComboBox*>(m_controls.at(list));
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(items.size()));
    for (const std::string& item : items)
        texts << QString::fromStdString(item);
    combo->clear();
    combo->addItems(texts);
    combo->setCurrentIndex(-1);
}

void TFontOptionForm::setFocus(FontOptionControl control)
{
    m_controls.at(control)->setFocus(Qt::OtherFocusReason);
}

std::vector<std::string> TFontOptionForm::screenFontFamilies() const
{
    std::vector<std::string> families;
    for (const QString& family : QFontDatabase::families())
        families.push_back(family.toStdString());
    return families;
}

std::optional<std::uint32_t> TFontOptionForm::runColorDialog(std::uint32_t initial)
{
    QColorDialog chooser(this);
    chooser.setObjectName(QStringLiteral("ColorDialog1"));
    chooser.setOption(QColorDialog::DontUseNativeDialog);
    chooser.setCurrentColor(toQColor(initial));
    if (chooser.exec() != QDialog::Accepted)
        return std::nullopt;
    return fromQColor(chooser.selectedColor());
}

void TFontOptionForm::showModal()
{
    // exec()'s nested event loop goes on running the main window's timer and the hot-key filter.
    exec();
}

void TFontOptionForm::hideDialog()
{
    // done() hides without a close event, so FormClose is not run twice after a save.
    done(QDialog::Accepted);
}

void TFontOptionForm::guarded(const std::function<void()>& handler)
{
    if (!m_handlers)
        return;
    try {
        handler();
    } catch (const std::exception& error) {
        m_dialogs.reportError(error.what());
    }
}

void TFontOptionForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        if (const QScreen* screen = this->screen())
            move(screen->availableGeometry().center() - frameGeometry().center() + pos());
    }
    if (!event->spontaneous())
        guarded([this] { m_handlers->FormShow(); });
}

void TFontOptionForm::closeEvent(QCloseEvent* event)
{
    guarded([this] { m_handlers->FormClose(); });
    QDialog::closeEvent(event);
}

void TFontOptionForm::keyPressEvent(QKeyEvent* event)
{
    // The dialog has no cancel button: Escape does not close it.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFontOptionForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* panel = qobject_cast<QFrame*>(watched);
        if (mouse->button() == Qt::LeftButton && panel
            && panel->rect().contains(mouse->position().toPoint())) {
            if (panel == m_panelColor)
                guarded([this] { m_handlers->PanelColorClick(); });
            else if (panel == m_panelName)
                guarded([this] { m_handlers->PanelNameClick(); });
            else if (panel == m_panelSize)
                guarded([this] { m_handlers->PanelSizeClick(); });
        }
        return false;
    }
    if (event->type() == QEvent::KeyPress && (watched == m_edit1 || watched == m_edit2))
        return filterPositionKey(static_cast<QLineEdit*>(watched), static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::KeyPress && watched == m_controls.at(FontOptionControl::SaveButton)
        && isEnterKey(*static_cast<QKeyEvent*>(event))) {
        static_cast<QPushButton*>(watched)->click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool TFontOptionForm::filterPositionKey(QLineEdit* edit, QKeyEvent* event)
{
    if (!m_handlers)
        return false;
    int key = keyCode(*event);
    guarded([&] {
        if (edit == m_edit1)
            m_handlers->Edit1KeyDown(key);
        else
            m_handlers->Edit2KeyDown(key);
    });
    // Enter only moves the focus on; passed on, the dialog would press its default button.
    if (isEnterKey(*event))
        return true;
    // These keys type no character where the dialog was designed, though Qt gives some of them a text.
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
    case Qt::Key_Escape:
        return false;
    default:
        break;
    }
    for (const char32_t character : event->text().toUcs4()) {
        std::uint32_t typed = character;
        m_handlers->Edit1KeyPress(typed);
        if (typed == 0)
            return true;
    }
    return false;
}

std::unique_ptr<FontOptionView> TFontOptionFormFactory::createFontOptionView()
{
    return std::make_unique<TFontOptionForm>(m_dialogs);
}

} // namespace vantor

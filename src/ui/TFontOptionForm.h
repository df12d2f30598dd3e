#pragma once

#include "style/FontOptionView.h"

#include <QDialog>

#include <functional>
#include <map>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vantor {

class Dialogs;

// The font settings dialog: every control at its designed place with its object name and caption. Its
// event handlers only forward to the attached FontOptions; a handler's error goes to the application's
// error report and the dialog stays usable.
class TFontOptionForm : public QDialog, public FontOptionView {
    Q_OBJECT
public:
    explicit TFontOptionForm(Dialogs& dialogs, QWidget* parent = nullptr);

    void attach(FontOptions& handlers) override;
    bool isDefaultTicked() const override;
    void setDefaultTicked(bool ticked) override;
    std::string text(FontOptionControl control) const override;
    void setText(FontOptionControl control, const std::string& text) override;
    void setColorPanelColor(std::uint32_t colour) override;
    void setEnabled(FontOptionControl control, bool enabled) override;
    void setVisible(FontOptionControl control, bool visible) override;
    void setItems(FontOptionControl list, const std::vector<std::string>& items) override;
    void setFocus(FontOptionControl control) override;
    std::vector<std::string> screenFontFamilies() const override;
    std::optional<std::uint32_t> runColorDialog(std::uint32_t initial) override;
    void showModal() override;
    void hideDialog() override;

    QWidget* control(FontOptionControl control) const;

    static QColor toQColor(std::uint32_t colour);
    static std::uint32_t fromQColor(const QColor& colour);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void guarded(const std::function<void()>& handler);
    bool filterPositionKey(QLineEdit* edit, QKeyEvent* event);

    Dialogs& m_dialogs;
    FontOptions* m_handlers = nullptr;
    std::map<FontOptionControl, QWidget*> m_controls;
    QCheckBox* m_checkBoxDefault = nullptr;
    QFrame* m_panelColor = nullptr;
    QFrame* m_panelName = nullptr;
    QFrame* m_panelSize = nullptr;
    std::map<QFrame*, QLabel*> m_captions;
    QLineEdit* m_edit1 = nullptr;
    QLineEdit* m_edit2 = nullptr;
    QComboBox* m_fontNameComboBox = nullptr;
    QComboBox* m_fontSizeComboBox = nullptr;
    bool m_centred = false;
};

// Makes TFontOptionForm windows, each with no parent: the core owns them and their lifetime.
class TFontOptionFormFactory : public FontOptionViewFactory {
public:
    explicit TFontOptionFormFactory(Dialogs& dialogs)
        : m_dialogs(dialogs)
    {
    }
    std::unique_ptr<FontOptionView> createFontOptionView() override;

private:
    Dialogs& m_dialogs;
};

} // namespace vantor

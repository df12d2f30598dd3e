#pragma once

#include "ports/MainView.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <map>
#include <optional>

class QDialog;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vantor {

class Dialogs;
class MainController;
class PlainTextView;

// The main window: every control at its designed place, with its object name, caption, hint and font.
// Its slots only forward to the core's handlers; no exception crosses the event loop (a handler's error
// goes to the application's error report and the program goes on).
class TForm1 : public QWidget, public MainView {
    Q_OBJECT
public:
    explicit TForm1(Dialogs& dialogs, QWidget* parent = nullptr);
    ~TForm1() override;

    // Connects the window to its behaviour and starts nothing yet; call before show().
    void attach(MainController& controller);
    // The player panel (Panel2), and the player's video surface placed inside it as WP.
    QWidget* videoPanel() const;
    void setVideoSurface(QWidget* surface);

    std::string text(Control control) const override;
    void setText(Control control, const std::string& text) override;
    bool isEnabled(Control control) const override;
    void setEnabled(Control control, bool enabled) override;
    bool isVisible(Control control) const override;
    void setVisible(Control control, bool visible) override;
    void setFocus(Control control) override;
    int videoPanelWidth() const override;
    int videoPanelHeight() const override;
    void plainViewReset(const std::vector<std::string>& lines) override;
    void plainViewShow(std::size_t lineCount, const PlainLineReader& line) override;
    void plainViewInsertLine(std::size_t index, const std::string& line) override;
    void plainViewRemoveLine(std::size_t index) override;
    void plainViewReplaceLine(std::size_t index, const std::string& line) override;
    void plainCaretToEnd() override;
    int plainSelectionStartLine() const override;
    int plainCaretColumn() const override;
    void setPlainReadOnly(bool readOnly) override;

    QTimer& timer1() { return m_timer1; }
    QWidget* control(Control control) const;

    // The window's help text, one entry per line.
    static QStringList helpLines();
    // The key help window (F1), while it is open.
    QDialog* keyHelp() const { return m_keyHelp; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void guarded(const std::function<void()>& handler);
    void onTimer();
    // Starts Timer1 unless it is running or the window has closed.
    void requestTicks();
    void onPlainContentsChange(int position, int removed, int added);
    // The plain view's keys: true when the key is discarded before the view sees it.
    bool plainKeyEvent(QKeyEvent* event, bool keyUp);
    // Set while the window itself changes the plain view to mirror the plain document.
    struct MirrorGuard {
        explicit MirrorGuard(bool& flag)
            : m_flag(flag)
            , m_previous(flag)
        {
            m_flag = true;
        }
        ~MirrorGuard() { m_flag = m_previous; }
        bool& m_flag;
        bool m_previous;
    };
    bool m_mirroring = false;
    PlainTextView* plainView() const;
    // The timing, help and undo keys: window shortcuts, and in the input field and the plain view taken
    // before the field sees them, so they never type. True when the event is used up.
    void createWindowShortcuts();
    bool windowKeyEvent(QObject* watched, QKeyEvent* event, bool release);
    void runWindowCommand(int command);
    void showKeyHelp();
    // Runs a core handler behind a button or key.
    template <typename Handler> void forward(Handler handler);

    Dialogs& m_dialogs;
    MainController* m_controller = nullptr;
    QTimer m_timer1;
    // The position label changes at every tick while playing; it is drawn at most once a screen refresh
    // (kLabel1Interval), its latest text waiting meanwhile. Reads give the latest text.
    void showLabel1(const QString& text);
    QTimer m_label1Timer;
    QElapsedTimer m_label1Shown;
    std::optional<QString> m_label1Pending;
    std::map<Control, QWidget*> m_controls;
    QFrame* m_panel1 = nullptr;
    QFrame* m_panel2 = nullptr;
    bool m_shownOnce = false;
    bool m_released = false;
    std::string m_lastTickError;
    QPointer<QDialog> m_keyHelp;
    // After a timing key in the plain view its keys stay away from the view's key handler as they come up,
    // which would take the caret's line again and undo the seek or pause; until the next other key.
    bool m_holdModifiers = false;
};

} // namespace vantor

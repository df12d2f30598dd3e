#include "QtDialogs.h"

#include "capture/TimingAids.h"
#include <QCoreApplication>

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QMessageBox>
#include <QSpinBox>

namespace vantor {

QtDialogs::QtDialogs(QWidget* parent)
    : m_parent(parent)
{
}

std::optional<std::string> QtDialogs::chooseOpenFile()
{
    const QString path = QFileDialog::getOpenFileName(m_parent);
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

namespace {
// The title of every message box: the program's name (kApplicationTitle) in the interface's language.
QString applicationTitle()
{
    return QCoreApplication::translate("QtDialogs", "SRT外挂字幕制作");
}
} // namespace

bool QtDialogs::askYesNo(const std::string& text)
{
    QMessageBox box(QMessageBox::Information, applicationTitle(), QString::fromStdString(text),
        QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setObjectName(QStringLiteral("QuestionBox"));
    return box.exec() == QMessageBox::Yes;
}

std::optional<int> QtDialogs::askReactionOffset(int currentMs)
{
    QDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("TimingDialog"));
    dialog.setWindowTitle(QCoreApplication::translate("QtDialogs", "计时设置"));
    auto* spin = new QSpinBox(&dialog);
    spin->setObjectName(QStringLiteral("ReactionOffsetSpin"));
    spin->setRange(0, kMaxReactionOffsetMs);
    spin->setSingleStep(10);
    spin->setSuffix(QCoreApplication::translate("QtDialogs", " 毫秒"));
    spin->setValue(currentMs);
    auto* note = new QLabel(QCoreApplication::translate(
                                "QtDialogs", "每次按 F9、F10 标记时间时，从视频位置中减去这段按键反应时间。"),
        &dialog);
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QFormLayout(&dialog);
    layout->addRow(QCoreApplication::translate("QtDialogs", "按键反应时间："), spin);
    layout->addRow(note);
    layout->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return spin->value();
}

void QtDialogs::reportError(const std::string& text)
{
    if (m_errorShowing)
        return;
    m_errorShowing = true;
    QMessageBox box(
        QMessageBox::Critical, applicationTitle(), QString::fromStdString(text), QMessageBox::Ok, m_parent);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.exec();
    m_errorShowing = false;
}

} // namespace vantor

#include "QtDialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>

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

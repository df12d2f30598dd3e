#include "WindowKeys.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace vantor {

namespace {

QKeyCombination combinationOf(const QKeyEvent& event)
{
    return QKeyCombination(event.modifiers() & ~Qt::KeypadModifier, static_cast<Qt::Key>(event.key()));
}

} // namespace

const std::vector<WindowKey>& windowKeys()
{
    using Q = QKeySequence;
    static const std::vector<WindowKey> keys {
        { { Q(Qt::Key_F9) }, WindowCommand::None,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "本句起始时间，开始播放")) },
        { { Q(Qt::Key_F10) }, WindowCommand::None,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "本句终止时间，本句循环播放")) },
        { { Q(Qt::Key_Return) }, WindowCommand::None,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "（输入框中）结束本句并自动保存")) },
        { { Q(Qt::Key_F7) }, WindowCommand::None,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "修改字幕")) },
        { { Q(Qt::Key_F8) }, WindowCommand::None,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "继续添加字幕")) },
        { { Q(Qt::ALT | Qt::Key_O) }, WindowCommand::None,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "打开视频")) },
        { { Q(Qt::ALT | Qt::Key_F) }, WindowCommand::None,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "字体设置")) },
        { { Q(Qt::ALT | Qt::Key_S) }, WindowCommand::None,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "（字体设置窗口中）保存")) },
        { { Q(Qt::CTRL | Qt::Key_T) }, WindowCommand::None,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "显示/隐藏视频上的字幕")) },
        { { Q(Qt::CTRL | Qt::Key_Up) }, WindowCommand::Faster,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "播放加快 0.1 倍（最快 2.0 倍，音调不变）")) },
        { { Q(Qt::CTRL | Qt::Key_Down) }, WindowCommand::Slower,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "播放减慢 0.1 倍（最慢 0.5 倍，音调不变）")) },
        { { Q(Qt::CTRL | Qt::Key_0) }, WindowCommand::NormalSpeed,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "恢复正常速度（1.0 倍）")) },
        { { Q(Qt::ALT | Qt::Key_Left) }, WindowCommand::BackOne,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "后退 1 秒")) },
        { { Q(Qt::ALT | Qt::Key_Right) }, WindowCommand::ForwardOne,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "前进 1 秒")) },
        { { Q(Qt::ALT | Qt::SHIFT | Qt::Key_Left) }, WindowCommand::BackFive,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "后退 5 秒")) },
        { { Q(Qt::ALT | Qt::SHIFT | Qt::Key_Right) }, WindowCommand::ForwardFive,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "前进 5 秒")) },
        { { Q(Qt::CTRL | Qt::Key_P) }, WindowCommand::PlayPause,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "暂停/继续播放")) },
        { { Q(Qt::ALT | Qt::Key_T) }, WindowCommand::TimingDialog,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "计时设置：按键反应时间补偿")) },
        { { Q(Qt::CTRL | Qt::Key_Z) }, WindowCommand::None,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "（修改时）撤销本行的修改")) },
        { { Q(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), Q(Qt::CTRL | Qt::Key_Y) }, WindowCommand::None,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "（修改时）重做")) },
        { { Q(Qt::Key_F1) }, WindowCommand::Help,
            QString::fromUtf8(QT_TRANSLATE_NOOP("WindowKeys", "本帮助")) },
    };
    return keys;
}

WindowCommand windowCommandOf(const QKeyEvent& event)
{
    const QKeyCombination pressed = combinationOf(event);
    for (const WindowKey& key : windowKeys()) {
        if (key.command == WindowCommand::None)
            continue;
        for (const QKeySequence& sequence : key.keys) {
            if (sequence.count() == 1 && sequence[0] == pressed)
                return key.command;
        }
    }
    return WindowCommand::None;
}

HistoryKey historyKeyOf(const QKeyEvent& event)
{
    const QKeyCombination pressed = combinationOf(event);
    if (pressed == QKeyCombination(Qt::ControlModifier, Qt::Key_Z))
        return HistoryKey::Undo;
    if (pressed == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z)
        || pressed == QKeyCombination(Qt::ControlModifier, Qt::Key_Y))
        return HistoryKey::Redo;
    return HistoryKey::None;
}

QString keyHelpText()
{
    QStringList lines;
    lines << QCoreApplication::translate(
        "WindowKeys", "速度、前进后退和暂停键在输入框和修改区中也有效，不会输入文字。")
          << QString();
    for (const WindowKey& key : windowKeys()) {
        QStringList names;
        for (const QKeySequence& sequence : key.keys)
            names << (sequence == QKeySequence(Qt::Key_Return) ? QStringLiteral("Enter")
                                                               : sequence.toString(QKeySequence::NativeText));
        lines << names.join(QStringLiteral(", ")).leftJustified(18) + QLatin1Char(' ')
                + QCoreApplication::translate("WindowKeys", key.what.toUtf8().constData());
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace vantor

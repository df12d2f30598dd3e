#pragma once

// Helpers shared by the measuring tools: statistics, the test clip and waiting inside the event loop.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace vantor::bench {

struct Summary {
    std::size_t count = 0;
    double median = 0;
    double p90 = 0;
    double p99 = 0;
    double max = 0;
    double mean = 0;
};

// Nearest-rank percentiles.
inline Summary summarize(std::vector<double> values)
{
    Summary summary;
    if (values.empty())
        return summary;
    std::sort(values.begin(), values.end());
    const auto rank = [&](double fraction) {
        const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
        return values[std::min(index, values.size() - 1)];
    };
    summary.count = values.size();
    summary.median = rank(0.5);
    summary.p90 = rank(0.9);
    summary.p99 = rank(0.99);
    summary.max = values.back();
    double total = 0;
    for (const double value : values)
        total += value;
    summary.mean = total / static_cast<double>(values.size());
    return summary;
}

inline double monotonicSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// User plus system CPU seconds of the whole process, every thread of libmpv included.
inline double processCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) { return time.tv_sec + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The 30 s test clip (scripts/make-media): VANTOR_BENCH_CLIP, else VANTOR_TEST_MEDIA/clip.mp4.
inline std::string clipPath()
{
    if (const char* clip = std::getenv("VANTOR_BENCH_CLIP"); clip && *clip)
        return clip;
    if (const char* media = std::getenv("VANTOR_TEST_MEDIA"); media && *media)
        return std::string(media) + "/clip.mp4";
    throw std::runtime_error("set VANTOR_BENCH_CLIP to the test clip (scripts/make-media makes it)");
}

// A copy of the clip in a fresh folder, so the subtitle files the program writes beside it land there.
class ClipCopy {
public:
    explicit ClipCopy(const std::string& source = clipPath())
    {
        if (!m_folder.isValid())
            throw std::runtime_error("no temporary folder");
        m_path = m_folder.filePath(QStringLiteral("clip.mp4"));
        if (!QFile::copy(QString::fromStdString(source), m_path))
            throw std::runtime_error("cannot copy the test clip " + source);
    }
    std::string path() const { return m_path.toStdString(); }

private:
    QTemporaryDir m_folder;
    QString m_path;
};

// A default-styled formatted subtitle file of `entries` entries with GBK Chinese text, some 100 bytes an
// entry (100,000 entries: 9.8 MiB, under the program's size limit).
inline std::string formattedSubtitleFile(int entries)
{
    const auto timeCode = [](long long ms) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld,%03lld", ms / 3600000, ms / 60000 % 60,
            ms / 1000 % 60, ms % 1000);
        return std::string(buffer);
    };
    const std::string block = "{\\fn\xBA\xDA\xCC\xE5\\fs18\\bord0\\shad3\\3c&HFFFFFF&}<b>";
    std::string text;
    for (int i = 1; i <= entries; ++i) {
        const long long start = static_cast<long long>(i) * 2000;
        text += std::to_string(i) + "\r\n" + timeCode(start) + " --> " + timeCode(start + 1500) + "\r\n"
            + block + std::to_string(i) + " \xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7</b>\r\n\r\n";
    }
    return text;
}

// Runs the event loop until `done` holds or `seconds` have passed; `done` is asked every millisecond.
inline bool runEventLoopUntil(double seconds, const std::function<bool()>& done = {})
{
    QEventLoop loop;
    QTimer check;
    check.setTimerType(Qt::PreciseTimer);
    QElapsedTimer clock;
    clock.start();
    bool reached = false;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        reached = done && done();
        if (reached || clock.nsecsElapsed() >= static_cast<qint64>(seconds * 1e9))
            loop.quit();
    });
    check.start(1);
    loop.exec();
    return reached;
}

// Runs the event loop for `seconds` on one single-shot timer: where the process's CPU is measured, the
// 1 ms check of runEventLoopUntil would itself cost some 3 % of a core.
inline void runEventLoopFor(double seconds)
{
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace vantor::bench

// How exact the capture clock is in the real program. A probe thread reads mpv's own clocks on a client
// handle of its own (blocking reads are fine off the GUI thread), every few hundred microseconds, each read
// bracketed by the steady clock; from them it knows the media position at any instant:
//   - sound: `audio-pts` is the position of the sample playing now, continuous in time;
//   - picture: the instants `time-pos` changes are the instants the frames were shown; the line through
//     them (frame time minus show instant, median over half a second around) is the media position.
// Then:
//   1. F9 at known instants while a clip plays (with sound 25 fps, silent 25 fps, silent 10 fps): the mark
//      (StartSeconds, and the time code in Edit1) minus the media position at the instant the key was
//      handled.
//   2. F9, F10, and the segment loops: the wrap position past the end mark (WrapSeconds - EndSeconds), and
//      how far sound and picture got past the end mark before the jump back.
//   3. Entries chained by Enter and F10: the gap between one entry's end and the next one's start, read from
//      the subtitle file on disk.
// Run it on Xvfb (scripts/bench CaptureTimingBench).
//
//   CaptureTimingBench [PRESSES]     (default 60 presses a clip; the clips lie beside VANTOR_BENCH_CLIP)
#include "AppAssembly.h"
#include "BenchSupport.h"
#include "MpvLibrary.h"

#include <QApplication>

#include <atomic>
#include <cmath>
#include <fstream>
#include <mutex>
#include <optional>
#include <random>
#include <regex>
#include <sstream>
#include <thread>

#include <dlfcn.h>

namespace {

using namespace vantor;
using namespace vantor::bench;

// One read of an mpv property: the value held at some instant between `from` and `to` (steady seconds).
struct Sample {
    double from;
    double to;
    double value;
    double mid() const { return (from + to) / 2; }
};

class Probe {
public:
    explicit Probe(mpv_handle* core)
    {
        // The program loaded libmpv already; this only finds it.
        void* library = dlopen(MpvLibrary::defaultName().c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (!library)
            throw std::runtime_error("libmpv is not loaded");
        m_createClient = reinterpret_cast<decltype(&mpv_create_client)>(dlsym(library, "mpv_create_client"));
        m_getProperty = reinterpret_cast<decltype(&mpv_get_property)>(dlsym(library, "mpv_get_property"));
        m_destroy = reinterpret_cast<decltype(&mpv_destroy)>(dlsym(library, "mpv_destroy"));
        if (!m_createClient || !m_getProperty || !m_destroy || !core)
            throw std::runtime_error("no libmpv client functions");
        m_client = m_createClient(core, "probe");
        m_thread = std::thread([this] { run(); });
    }
    ~Probe()
    {
        m_stop = true;
        m_thread.join();
        m_destroy(m_client);
    }
    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_timePos.clear();
        m_audioPts.clear();
    }
    std::vector<Sample> timePos()
    {
        std::lock_guard lock(m_mutex);
        return m_timePos;
    }
    std::vector<Sample> audioPts()
    {
        std::lock_guard lock(m_mutex);
        return m_audioPts;
    }

private:
    void run()
    {
        while (!m_stop) {
            read("time-pos", m_timePos);
            read("audio-pts", m_audioPts);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
    void read(const char* name, std::vector<Sample>& into)
    {
        double value = 0;
        const double from = monotonicSeconds();
        const int result = m_getProperty(m_client, name, MPV_FORMAT_DOUBLE, &value);
        const double to = monotonicSeconds();
        // A read that waited long for mpv's core says little about when its value held.
        if (result >= 0 && to - from < 0.0005) {
            std::lock_guard lock(m_mutex);
            into.push_back({ from, to, value });
        }
    }

    decltype(&mpv_create_client) m_createClient = nullptr;
    decltype(&mpv_get_property) m_getProperty = nullptr;
    decltype(&mpv_destroy) m_destroy = nullptr;
    mpv_handle* m_client = nullptr;
    std::atomic<bool> m_stop { false };
    std::mutex m_mutex;
    std::vector<Sample> m_timePos;
    std::vector<Sample> m_audioPts;
    std::thread m_thread;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The media position at `instant` from the sound clock: the read nearest to it, moved on by the time between
// (the sound runs at 1x). Only reads taken while the sound runs count, those that advanced as much as the
// steady clock since the read before and until the read after: right after a seek mpv reports positions
// ahead of the target before the sound has started. Nothing when no such read lies within 2 ms.
std::optional<double> soundPosition(const std::vector<Sample>& samples, double instant)
{
    const auto running = [&](std::size_t i) {
        if (i == 0 || i + 1 >= samples.size())
            return false;
        const auto steady = [&](const Sample& a, const Sample& b) {
            return std::abs((b.value - a.value) - (b.mid() - a.mid())) < 0.0003;
        };
        return steady(samples[i - 1], samples[i]) && steady(samples[i], samples[i + 1]);
    };
    std::optional<std::size_t> nearest;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i].mid() - instant) <= 0.002 && running(i)
            && (!nearest
                || std::abs(samples[i].mid() - instant) < std::abs(samples[*nearest].mid() - instant)))
            nearest = i;
    }
    if (!nearest)
        return std::nullopt;
    return samples[*nearest].value + (instant - samples[*nearest].mid());
}

// The instants the shown frame changed (a frame later by less than half a second: no seek in between).
std::vector<Sample> frameChanges(const std::vector<Sample>& samples)
{
    std::vector<Sample> changes;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        const double step = samples[i].value - samples[i - 1].value;
        if (step > 0 && step < 0.5)
            changes.push_back({ samples[i - 1].from, samples[i].to, samples[i].value });
    }
    return changes;
}

// The media position at `instant` from the picture: the line through the frames shown within 0.5 s.
std::optional<double> picturePosition(const std::vector<Sample>& changes, double instant)
{
    std::vector<double> offsets;
    for (const Sample& change : changes) {
        if (std::abs(change.mid() - instant) < 0.5)
            offsets.push_back(change.value - change.mid());
    }
    if (offsets.size() < 3)
        return std::nullopt;
    return instant + median(offsets);
}

// The media position at `instant` from the picture alone, for the time right after a seek or a resume,
// where the frames shown before belong to another run: the next frames shown after the instant (up to
// three, within 0.35 s, none after another jump), each moved back by the time until it was shown.
std::optional<double> pictureFromNextFrames(const std::vector<Sample>& samples, double instant)
{
    std::vector<double> offsets;
    for (std::size_t i = 1; i < samples.size() && offsets.size() < 3; ++i) {
        if (samples[i - 1].mid() < instant)
            continue;
        const double step = samples[i].value - samples[i - 1].value;
        if (step == 0)
            continue;
        if (step < 0 || step > 0.5)
            break;
        const double shown = (samples[i - 1].mid() + samples[i].mid()) / 2;
        if (shown - instant > 0.35)
            break;
        offsets.push_back(samples[i].value - shown);
    }
    if (offsets.empty())
        return std::nullopt;
    return instant + median(offsets);
}

// "hh:mm:ss,mmm" in seconds.
double timeCodeSeconds(const std::string& code)
{
    int hours = 0, minutes = 0, seconds = 0, milliseconds = 0;
    if (std::sscanf(code.c_str(), "%d:%d:%d,%d", &hours, &minutes, &seconds, &milliseconds) != 4)
        throw std::runtime_error("not a time code: " + code);
    return hours * 3600.0 + minutes * 60.0 + seconds + milliseconds / 1000.0;
}

// Runs the event loop until `instant` (steady seconds) on one precise single-shot timer, then calls `then`
// from the event loop, as a key event would be handled.
void atInstant(double instant, const std::function<void()>& then)
{
    QEventLoop loop;
    const int ms = std::max(0, static_cast<int>((instant - monotonicSeconds()) * 1000));
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, [&] {
        then();
        loop.quit();
    });
    loop.exec();
}

void printSummary(const char* what, const std::vector<double>& valuesMs)
{
    if (valuesMs.empty()) {
        std::printf("figure: %s = no samples\n", what);
        return;
    }
    std::vector<double> magnitudes;
    for (const double value : valuesMs)
        magnitudes.push_back(std::abs(value));
    const Summary signedSummary = summarize(valuesMs);
    const Summary size = summarize(magnitudes);
    std::printf("figure: %s = |error| median %.2f ms, max %.2f ms (signed: min %.2f, median %.2f, max %.2f; "
                "%zu samples)\n",
        what, size.median, size.max, *std::min_element(valuesMs.begin(), valuesMs.end()),
        signedSummary.median, signedSummary.max, signedSummary.count);
}

void openClip(AppAssembly& app, const std::string& path)
{
    app.controller->openVideo(path);
    if (!runEventLoopUntil(10, [&] { return app.player.isFileLoaded() && app.framesRendered() > 0; }))
        throw std::runtime_error("the clip did not load: " + app.player.status());
}

// Part 1: F9 pressed `presses` times at random instants while `name` plays.
void measureMarks(AppAssembly& app, Probe& probe, const std::string& folder, const char* name, int presses)
{
    ClipCopy clip(folder + "/" + name);
    openClip(app, clip.path());
    app.player.setCurrentPosition(1.0);
    app.player.play();
    runEventLoopUntil(0.7);
    // The first F9 of a file marks 00:00:00,001; the marks measured are the later ones.
    app.controller->HotKeyPressed(HotKey::F9);
    probe.clear();
    std::mt19937 random(20261210);
    std::uniform_real_distribution<double> pause(0.07, 0.25);
    struct Press {
        double instant;
        double mark;
        double code;
    };
    std::vector<Press> pressList;
    for (int i = 0; i < presses; ++i) {
        atInstant(monotonicSeconds() + pause(random), [&] {
            const double instant = monotonicSeconds();
            app.controller->HotKeyPressed(HotKey::F9);
            pressList.push_back({ instant, static_cast<double>(app.controller->session().StartSeconds),
                timeCodeSeconds(app.form.text(Control::Edit1)) });
        });
    }
    runEventLoopUntil(0.6);
    const std::vector<Sample> sound = probe.audioPts();
    const std::vector<Sample> changes = frameChanges(probe.timePos());
    std::vector<double> markVsSound, markVsPicture, codeVsSound, codeVsPicture, soundVsPicture;
    for (const Press& press : pressList) {
        const auto bySound = soundPosition(sound, press.instant);
        const auto byPicture = picturePosition(changes, press.instant);
        if (bySound) {
            markVsSound.push_back((press.mark - *bySound) * 1e3);
            codeVsSound.push_back((press.code - *bySound) * 1e3);
        }
        if (byPicture) {
            markVsPicture.push_back((press.mark - *byPicture) * 1e3);
            codeVsPicture.push_back((press.code - *byPicture) * 1e3);
        }
        if (bySound && byPicture)
            soundVsPicture.push_back((*bySound - *byPicture) * 1e3);
        const double error = press.mark - (bySound ? *bySound : byPicture ? *byPicture : press.mark);
        if (std::abs(error) > 0.005)
            std::printf("  press %.3f s into the run: mark %.4f, sound %.4f, picture %.4f\n",
                press.instant - pressList.front().instant, press.mark, bySound ? *bySound : -1.0,
                byPicture ? *byPicture : -1.0);
    }
    std::printf("%s: %zu presses, %zu sound reads, %zu frame changes seen\n", name, pressList.size(),
        sound.size(), changes.size());
    const std::string prefix = std::string("mark error, ") + name;
    if (!sound.empty()) {
        printSummary((prefix + ", F9 mark vs sound clock").c_str(), markVsSound);
        printSummary((prefix + ", Edit1 time code vs sound clock").c_str(), codeVsSound);
        printSummary((std::string("sound clock minus picture line, ") + name).c_str(), soundVsPicture);
    }
    printSummary((prefix + ", F9 mark vs picture line").c_str(), markVsPicture);
    printSummary((prefix + ", Edit1 time code vs picture line").c_str(), codeVsPicture);
    app.player.pause();
    runEventLoopUntil(0.2);
}

// F9 pressed 0 to 250 ms after a resume from pause or a seek while playing.
void measureMarksAfterJumps(
    AppAssembly& app, Probe& probe, const std::string& folder, const char* name, int presses)
{
    ClipCopy clip(folder + "/" + name);
    openClip(app, clip.path());
    app.player.setCurrentPosition(1.0);
    app.player.play();
    runEventLoopUntil(0.7);
    app.controller->HotKeyPressed(HotKey::F9);
    probe.clear();
    std::mt19937 random(99);
    std::uniform_real_distribution<double> delay(0.0, 0.25);
    std::vector<double> afterResume, afterSeek;
    std::vector<std::pair<double, double>> pressList; // instant, mark
    std::vector<bool> isSeek;
    std::vector<double> delays;
    for (int i = 0; i < presses; ++i) {
        const bool seek = i % 2 == 1;
        if (seek) {
            const double position = app.player.currentPosition();
            app.player.setCurrentPosition(
                position > 20 ? 2.0 + delay(random) : position + 0.5 + delay(random));
        } else {
            app.player.pause();
            runEventLoopUntil(0.3);
            app.player.play();
        }
        const double jumped = monotonicSeconds();
        atInstant(monotonicSeconds() + delay(random), [&] {
            delays.push_back(monotonicSeconds() - jumped);
            const double instant = monotonicSeconds();
            app.controller->HotKeyPressed(HotKey::F9);
            pressList.emplace_back(instant, static_cast<double>(app.controller->session().StartSeconds));
            isSeek.push_back(seek);
        });
        runEventLoopUntil(0.3);
    }
    const std::vector<Sample> sound = probe.audioPts();
    const std::vector<Sample> frames = probe.timePos();
    int unmeasured = 0;
    for (std::size_t i = 0; i < pressList.size(); ++i) {
        const auto [instant, mark] = pressList[i];
        const auto reference
            = sound.empty() ? pictureFromNextFrames(frames, instant) : soundPosition(sound, instant);
        if (!reference) {
            ++unmeasured;
            continue;
        }
        (isSeek[i] ? afterSeek : afterResume).push_back((mark - *reference) * 1e3);
        if (std::abs(mark - *reference) > 0.005)
            std::printf("  %s, press %.1f ms after: mark %.4f, media %.4f\n", isSeek[i] ? "seek" : "resume",
                delays[i] * 1e3, mark, *reference);
    }
    std::printf("%s: %zu presses after jumps, %d without a reference (the media not running yet)\n", name,
        pressList.size(), unmeasured);
    const std::string against = sound.empty() ? " vs picture" : " vs sound clock";
    printSummary((std::string("mark error 0-250 ms after a resume, ") + name + against).c_str(), afterResume);
    printSummary((std::string("mark error 0-250 ms after a seek, ") + name + against).c_str(), afterSeek);
    app.player.pause();
    runEventLoopUntil(0.2);
}

// The highest value before each fall of more than 0.5 s (a jump back of the loop).
std::vector<double> peaksBeforeJumps(const std::vector<Sample>& samples)
{
    std::vector<double> peaks;
    double highest = -1;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (i > 0 && samples[i].value < samples[i - 1].value - 0.5) {
            peaks.push_back(highest);
            highest = -1;
        }
        highest = std::max(highest, samples[i].value);
    }
    return peaks;
}

struct Entry {
    double start;
    double end;
};

std::vector<Entry> entriesOnDisk(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    const std::string content = text.str();
    const std::regex line(R"((\d\d:\d\d:\d\d,\d\d\d) --> (\d\d:\d\d:\d\d,\d\d\d))");
    std::vector<Entry> entries;
    for (auto match = std::sregex_iterator(content.begin(), content.end(), line);
         match != std::sregex_iterator(); ++match)
        entries.push_back({ timeCodeSeconds((*match)[1]), timeCodeSeconds((*match)[2]) });
    return entries;
}

// Parts 2 and 3 on the clip with sound: entries chained by F10 and Enter, each segment looping a few times.
void measureLoopAndChain(AppAssembly& app, Probe& probe, const std::string& folder, int entries)
{
    ClipCopy clip(folder + "/clip.mp4");
    openClip(app, clip.path());
    app.player.setCurrentPosition(2.0);
    app.player.play();
    runEventLoopUntil(0.5);
    probe.clear();
    std::vector<double> wrapOvershootMs;
    std::vector<double> endMarks;
    double lastWrap = 0;
    const auto watchWraps = [&] {
        const double wrap = static_cast<double>(app.controller->session().WrapSeconds);
        if (wrap != lastWrap && wrap > 0) {
            lastWrap = wrap;
            wrapOvershootMs.push_back(
                (wrap - static_cast<double>(app.controller->session().EndSeconds)) * 1e3);
            endMarks.push_back(static_cast<double>(app.controller->session().EndSeconds));
        }
        return false;
    };
    std::mt19937 random(7);
    std::uniform_real_distribution<double> length(0.6, 1.2);
    app.controller->HotKeyPressed(HotKey::F9);
    for (int i = 0; i < entries; ++i) {
        runEventLoopUntil(length(random), watchWraps);
        app.controller->HotKeyPressed(HotKey::F10);
        // Two or three passes of the segment while the text is typed.
        runEventLoopUntil(2.5 * length(random) + 0.3, watchWraps);
        app.form.setText(Control::InputEdit, "line " + std::to_string(i + 1));
        app.controller->InputEditKeyDown(13);
    }
    runEventLoopUntil(0.3);
    const std::vector<double> soundPeaks = peaksBeforeJumps(probe.audioPts());
    const std::vector<double> picturePeaks = peaksBeforeJumps(probe.timePos());
    const auto pastEnd = [&](const std::vector<double>& peaks) {
        // Each jump back of the loop pairs with the end mark in force then; the jumps of Enter go to the
        // wrap point, not back by a segment, and are not jumps of more than 0.5 s.
        std::vector<double> result;
        for (std::size_t i = 0; i < peaks.size() && i < endMarks.size(); ++i)
            result.push_back((peaks[i] - endMarks[i]) * 1e3);
        return result;
    };
    std::printf("loop: %zu wraps, %zu sound jumps, %zu picture jumps\n", wrapOvershootMs.size(),
        soundPeaks.size(), picturePeaks.size());
    printSummary("loop overshoot, WrapSeconds - EndSeconds", wrapOvershootMs);
    printSummary("loop overshoot, sound played past the end mark", pastEnd(soundPeaks));
    printSummary("loop overshoot, last frame shown past the end mark", pastEnd(picturePeaks));

    const std::vector<Entry> onDisk = entriesOnDisk(app.controller->fileSet().PlainPath());
    std::vector<double> gapsMs;
    for (std::size_t i = 1; i < onDisk.size(); ++i)
        gapsMs.push_back((onDisk[i].start - onDisk[i - 1].end) * 1e3);
    std::printf("chain: %zu entries on disk:", onDisk.size());
    for (const Entry& entry : onDisk)
        std::printf(" [%.3f, %.3f]", entry.start, entry.end);
    std::printf("\n");
    printSummary("gap between chained entries on disk", gapsMs);
    app.player.pause();
    runEventLoopUntil(0.2);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    AppAssembly::prepareApplication();
    const int presses = argc > 1 ? std::atoi(argv[1]) : 60;
    try {
        const std::string folder = QFileInfo(QString::fromStdString(clipPath())).absolutePath().toStdString();
        AppAssembly app;
        app.form.show();
        if (!runEventLoopUntil(10, [&] { return app.player.handle() != nullptr; }))
            throw std::runtime_error("mpv did not start: " + app.player.status());
        Probe probe(app.player.handle());
        for (const char* name : { "clip.mp4", "silent.mp4", "tenfps.mp4" })
            measureMarks(app, probe, folder, name, presses);
        for (const char* name : { "clip.mp4", "tenfps.mp4" })
            measureMarksAfterJumps(app, probe, folder, name, presses / 2);
        measureLoopAndChain(app, probe, folder, 5);
        std::fflush(stdout);
        app.form.close();
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "CaptureTimingBench: %s\n", error.what());
        return 1;
    }
}

// A small X client for the end-to-end test of the global keys: it takes the keys through the same factory
// as the program and reports on stdout, one line each, what happened:
//   route X11 | locks 0x0 0x2 ... | register F9 ok|refused | ready
//   press F9 state=0x10 latency_us=12     (state: the X event's modifier state; latency: from the X event
//                                          reaching the event filters to the handler call)
//   unregistered F9 | dropped | bye
// Commands on stdin, one a line: "register F9", "unregister F9", "drop" (destroy the service, keep running),
// "quit". End of input quits as well.
//
// --keys F9,F10      keys to register at start (all four when absent)
// --bare-grab F9     hold the key the way a careless program does, without lock combinations, and nothing
//                    else; prints "bare-grab F9 ok|refused"
#include "HotKeyServiceFactory.h"
#include "StdinCommands.h"
#include "X11HotKeyService.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using vantor::HotKey;

const char* labelOf(HotKey key)
{
    static const std::string labels[] = { vantor::hotKeyLabel(HotKey::F9), vantor::hotKeyLabel(HotKey::F10),
        vantor::hotKeyLabel(HotKey::F7), vantor::hotKeyLabel(HotKey::F8) };
    return labels[static_cast<int>(key)].c_str();
}

std::optional<HotKey> keyOfLabel(const std::string& label)
{
    for (HotKey key : vantor::kHotKeysInOrder) {
        if (label == labelOf(key))
            return key;
    }
    return std::nullopt;
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (start <= text.size()) {
        const auto end = text.find(separator, start);
        const std::string part
            = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!part.empty())
            parts.push_back(part);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return parts;
}

// Sees every key press before the service does (filters installed later run first) and notes when it came.
// Several presses can be read in one batch before the first handler call, hence the queue.
class ArrivalRecorder : public QAbstractNativeEventFilter {
public:
    struct Arrival {
        Clock::time_point time;
        unsigned state;
    };

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & ~0x80) == XCB_KEY_PRESS)
            arrivals.push_back(
                { Clock::now(), reinterpret_cast<const xcb_key_press_event_t*>(event)->state });
        return false;
    }

    std::deque<Arrival> arrivals;
};

// Grabs the key's keycodes on the root window with no modifiers at all.
bool bareGrab(xcb_connection_t* connection, HotKey key)
{
    const xcb_keysym_t keysyms[] = { 0xffc6, 0xffc7, 0xffc4, 0xffc5 };
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
    xcb_keycode_t* keycodes = xcb_key_symbols_get_keycode(symbols, keysyms[static_cast<int>(key)]);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    bool ok = keycodes && *keycodes != XCB_NO_SYMBOL;
    for (xcb_keycode_t* code = keycodes; code && *code != XCB_NO_SYMBOL; ++code) {
        xcb_generic_error_t* error = xcb_request_check(connection,
            xcb_grab_key_checked(connection, 0, root, 0, *code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        if (error)
            ok = false;
        std::free(error);
    }
    std::free(keycodes);
    xcb_key_symbols_free(symbols);
    return ok;
}

// Waits until the server has handled every request sent so far, so that a line printed afterwards tells
// the test that a release has taken effect.
void syncWithServer()
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return;
    xcb_connection_t* connection = x11->connection();
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

class Probe {
public:
    explicit Probe(QWidget& window)
        : m_window(window)
    {
    }

    void start(const std::vector<HotKey>& keys)
    {
        m_service = vantor::makeHotKeyService(m_window);
        // Installed after the service's filter, so it runs before it.
        QCoreApplication::instance()->installNativeEventFilter(&m_recorder);
        std::printf("route %s\n", m_service->route().c_str());
        if (auto* x11 = dynamic_cast<vantor::X11HotKeyService*>(m_service.get())) {
            std::printf("locks");
            for (std::uint16_t mask : x11->lockCombinations())
                std::printf(" 0x%x", mask);
            std::printf("\n");
        }
        m_service->setHandler([this](HotKey key) { pressed(key); });
        for (HotKey key : keys)
            registerKey(key);
    }

    void command(const std::string& line)
    {
        const std::vector<std::string> words = split(line, ' ');
        if (words.empty())
            return;
        // Presses still queued when keys change hands may never reach the handler.
        m_recorder.arrivals.clear();
        if (words[0] == "quit") {
            QCoreApplication::quit();
            return;
        }
        if (words[0] == "drop") {
            drop();
            std::printf("dropped\n");
            return;
        }
        const std::optional<HotKey> key = words.size() == 2 ? keyOfLabel(words[1]) : std::nullopt;
        if (m_service && key.has_value() && words[0] == "register") {
            registerKey(key.value());
        } else if (m_service && key.has_value() && words[0] == "unregister") {
            m_service->unregisterKey(key.value());
            syncWithServer();
            std::printf("unregistered %s\n", labelOf(key.value()));
        } else {
            std::printf("unknown %s\n", line.c_str());
        }
    }

    void drop()
    {
        m_service.reset();
        syncWithServer();
    }

private:
    void registerKey(HotKey key)
    {
        std::printf("register %s %s\n", labelOf(key), m_service->registerKey(key) ? "ok" : "refused");
    }

    void pressed(HotKey key)
    {
        const Clock::time_point now = Clock::now();
        if (m_recorder.arrivals.empty()) {
            std::printf("press %s unseen\n", labelOf(key));
            return;
        }
        const ArrivalRecorder::Arrival arrival = m_recorder.arrivals.front();
        m_recorder.arrivals.pop_front();
        const auto latency = std::chrono::duration_cast<std::chrono::microseconds>(now - arrival.time);
        std::printf("press %s state=0x%x latency_us=%lld\n", labelOf(key), arrival.state,
            static_cast<long long>(latency.count()));
    }

    QWidget& m_window;
    ArrivalRecorder m_recorder;
    std::unique_ptr<vantor::HotKeyService> m_service;
};

} // namespace

int main(int argc, char* argv[])
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // The probe exists to test the X route; the test environment may name another platform.
    qputenv("QT_QPA_PLATFORM", "xcb");

    std::vector<HotKey> keys(std::begin(vantor::kHotKeysInOrder), std::end(vantor::kHotKeysInOrder));
    std::optional<HotKey> bare;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--keys") == 0) {
            keys.clear();
            for (const std::string& label : split(argv[i + 1], ',')) {
                if (const auto key = keyOfLabel(label))
                    keys.push_back(*key);
            }
        } else if (std::strcmp(argv[i], "--bare-grab") == 0) {
            bare = keyOfLabel(argv[i + 1]);
        } else {
            std::fprintf(stderr, "usage: %s [--keys F9,F10,F7,F8] [--bare-grab F9]\n", argv[0]);
            return 2;
        }
    }

    QApplication application(argc, argv);
    QWidget window; // never shown: the probe must not take the focus from the client under test
    Probe probe(window);
    if (bare) {
        const auto* x11 = application.nativeInterface<QNativeInterface::QX11Application>();
        const bool ok = x11 && bareGrab(x11->connection(), *bare);
        std::printf("bare-grab %s %s\n", labelOf(*bare), ok ? "ok" : "refused");
    } else {
        probe.start(keys);
    }
    std::printf("ready\n");

    const int status
        = vantor::test::runStdinCommands(application, [&](const std::string& line) { probe.command(line); });
    probe.drop();
    std::printf("bye\n");
    return status;
}

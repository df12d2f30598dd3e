// A small client for the tests of the portal route: it takes the keys through the same factory as the
// program, offscreen, and reports on stdout, one line each:
//   route portal|X11|application | pending 1|0 | ready
//   answer refused F7 F8 | answer refused none     (the desktop's answer, each time it changes)
//   press F9                                        (a key reached the handler)
//   unregistered F9 | registered F9 | dropped | bye
// Commands on stdin, one a line: "register F9", "unregister F9", "drop" (destroy the service, keep
// running), "quit". End of input quits as well.
#include "HotKeyServiceFactory.h"
#include "StdinCommands.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using vantor::HotKey;

std::optional<HotKey> keyOfLabel(const std::string& label)
{
    for (HotKey key : vantor::kHotKeysInOrder) {
        if (label == vantor::hotKeyLabel(key))
            return key;
    }
    return std::nullopt;
}

class Probe {
public:
    explicit Probe(QWidget& window)
        : m_service(vantor::makeHotKeyService(window))
    {
        std::printf("route %s\n", m_service->route().c_str());
        m_service->setHandler(
            [](HotKey key) { std::printf("press %s\n", vantor::hotKeyLabel(key).c_str()); });
        m_service->setRefusalHandler([](const std::vector<HotKey>& refused) {
            std::string keys;
            for (HotKey key : refused)
                keys += " " + vantor::hotKeyLabel(key);
            std::printf("answer refused%s\n", keys.empty() ? " none" : keys.c_str());
        });
        for (HotKey key : vantor::kHotKeysInOrder) {
            if (!m_service->registerKey(key))
                std::printf("register %s refused\n", vantor::hotKeyLabel(key).c_str());
        }
        std::printf("pending %d\n", m_service->answerPending() ? 1 : 0);
    }

    void command(const std::string& line)
    {
        const auto space = line.find(' ');
        const std::string verb = line.substr(0, space);
        const std::optional<HotKey> key
            = space == std::string::npos ? std::nullopt : keyOfLabel(line.substr(space + 1));
        if (verb == "quit") {
            QCoreApplication::quit();
        } else if (verb == "drop") {
            m_service.reset();
            std::printf("dropped\n");
        } else if (m_service && key && (verb == "register" || verb == "unregister")) {
            // value_or: GCC 12 cannot see that the optional is set here.
            const HotKey chosen = key.value_or(HotKey::F9);
            if (verb == "register") {
                std::printf("registered %s %s\n", vantor::hotKeyLabel(chosen).c_str(),
                    m_service->registerKey(chosen) ? "ok" : "refused");
            } else {
                m_service->unregisterKey(chosen);
                std::printf("unregistered %s\n", vantor::hotKeyLabel(chosen).c_str());
            }
        } else {
            std::printf("unknown %s\n", line.c_str());
        }
    }

    void drop() { m_service.reset(); }

private:
    std::unique_ptr<vantor::HotKeyService> m_service;
};

} // namespace

int main(int argc, char* argv[])
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // The route is chosen from the session's environment, which the test sets; no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.vantor.Vantor"));
    QWidget window;
    Probe probe(window);
    std::printf("ready\n");

    const int status
        = vantor::test::runStdinCommands(application, [&](const std::string& line) { probe.command(line); });
    probe.drop();
    std::printf("bye\n");
    return status;
}

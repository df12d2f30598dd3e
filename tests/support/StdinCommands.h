#pragma once

#include <QCoreApplication>
#include <QSocketNotifier>

#include <unistd.h>

#include <functional>
#include <string>

namespace vantor::test {

// Runs the event loop of a probe program that a test script drives through its standard input: each line
// goes to `command`, and the end of the input ends the loop. Returns the loop's exit status.
inline int runStdinCommands(
    QCoreApplication& application, const std::function<void(const std::string&)>& command)
{
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    std::string pending;
    QObject::connect(&input, &QSocketNotifier::activated, &application, [&] {
        char buffer[256];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            input.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        pending.append(buffer, static_cast<std::size_t>(count));
        for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            command(pending.substr(0, end));
            pending.erase(0, end + 1);
        }
    });
    return application.exec();
}

} // namespace vantor::test

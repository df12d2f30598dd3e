#include "PlayerFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <exception>
#include <stdexcept>

namespace vantor::test {

std::string mediaPath(const std::string& name)
{
    // The clips lie in the build folder's test-media, beside the tests folder that holds this program.
    QString folder = qEnvironmentVariable("VANTOR_TEST_MEDIA");
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath() + QStringLiteral("/../test-media");
    const QString path = QDir(folder).absoluteFilePath(QString::fromStdString(name));
    if (!QFileInfo::exists(path))
        throw std::runtime_error("test clip missing: " + path.toStdString() + " (build vantor_test_media)");
    return path.toStdString();
}

bool spinUntil(MpvPlayer& player, std::chrono::milliseconds limit, const std::function<bool()>& done,
    const std::function<void()>& onTick)
{
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QElapsedTimer clock;
    bool reached = false;
    std::exception_ptr failure;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        try {
            player.drainEvents();
            if (onTick)
                onTick();
            reached = done && done();
        } catch (...) {
            failure = std::current_exception();
        }
        if (reached || failure || clock.elapsed() >= limit.count())
            loop.quit();
    });
    clock.start();
    tick.start();
    loop.exec();
    if (failure)
        std::rethrow_exception(failure);
    return reached;
}

void spinFor(MpvPlayer& player, std::chrono::milliseconds time, const std::function<void()>& onTick)
{
    spinUntil(player, time, {}, onTick);
}

void PlayerTest::SetUp()
{
    m_host.resize(160, 120);
    m_player = std::make_unique<MpvPlayer>(MpvPlayer::Options { "null" });
    m_surface = m_player->createVideoSurface(&m_host);
    m_surface->setGeometry(0, 0, 160, 120);
}

void PlayerTest::openAndWait(const std::string& path)
{
    m_player->setUrl(path);
    m_player->stop();
    ASSERT_TRUE(spinUntil(*m_player, 5s, [this] { return m_player->isFileLoaded(); }))
        << "not loaded: " << path << " status " << m_player->status();
}

} // namespace vantor::test

#include "FileTestSupport.h"
#include "PosixFileIo.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vantor::test {
namespace {

constexpr std::size_t kContentSize = 2 * 1024 * 1024;
constexpr int kKills = 300;

// The writer child, running its loop: started and waited for until its first write is complete.
class WriterChild {
public:
    WriterChild(const std::string& program, const std::string& path)
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        const std::string size = std::to_string(kContentSize);
        char* argv[] = { const_cast<char*>(program.c_str()), const_cast<char*>(path.c_str()),
            const_cast<char*>(size.c_str()), nullptr };
        if (::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv, environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        pollfd ready { fds[0], POLLIN, 0 };
        char signal = 0;
        m_running
            = m_pid > 0 && ::poll(&ready, 1, 10000) == 1 && ::read(fds[0], &signal, 1) == 1 && signal == 'R';
        ::close(fds[0]);
    }
    ~WriterChild()
    {
        if (m_pid > 0 && !m_reaped) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    bool running() const { return m_running; }
    // True when the child was still writing when the signal reached it.
    bool kill()
    {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        m_reaped = ::waitpid(m_pid, &status, 0) == m_pid;
        return m_reaped && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

private:
    pid_t m_pid = -1;
    bool m_running = false;
    bool m_reaped = false;
};

bool isOneWholeContent(const std::string& bytes)
{
    if (bytes.size() != kContentSize || (bytes[0] != 'A' && bytes[0] != 'B'))
        return false;
    return bytes.find_first_not_of(bytes[0]) == std::string::npos;
}

// The process is killed at random instants of its write loop: between the writes, while a temporary is
// filled, flushed or renamed. Each time the file must hold one whole content, and at most the one
// temporary of the killed write may be left, to be removed by the next write.
TEST(AtomicWriteKillTest, FileIsAlwaysOneWholeContentWhenTheWriterIsKilled)
{
#ifndef VANTOR_ATOMIC_WRITER_CHILD
    GTEST_SKIP() << "the writer child program is not built (tests/platform/tools)";
#else
    TemporaryFolder folder;
    ASSERT_TRUE(folder.isValid());
    // On a tmpfs a write cycle (fill, flush, rename) takes about a millisecond, so the random delays
    // spread the kills over every step of many cycles. On a disk the flush takes tens of milliseconds
    // and nearly every kill would land in it.
    SmallDisk memoryDisk(folder.path(), "64m");
    const std::string path = folder.file("clip.srt");
    const unsigned seed = std::random_device {}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayMicroseconds(0, 20000);
    int leftTemporary = 0;
    int endedOnA = 0;

    for (int kill = 0; kill < kKills; ++kill) {
        WriterChild child(VANTOR_ATOMIC_WRITER_CHILD, path);
        ASSERT_TRUE(child.running()) << "the writer child did not start (kill " << kill << ")";
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        ASSERT_TRUE(child.kill()) << "the writer child ended by itself (kill " << kill << ")";

        const std::string content = readBytes(path);
        ASSERT_TRUE(isOneWholeContent(content))
            << "torn file after kill " << kill << " (seed " << seed << ")";
        const auto temporaries = temporariesIn(folder.path());
        ASSERT_LE(temporaries.size(), 1u)
            << "temporaries piled up after kill " << kill << " (seed " << seed << ")";
        leftTemporary += static_cast<int>(temporaries.size());
        endedOnA += content[0] == 'A' ? 1 : 0;
    }

    replaceFileAtomically(path, std::string(kContentSize, 'C'));
    EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string> { "clip.srt" });
    RecordProperty("kills", kKills);
    RecordProperty("killsLeavingATemporary", leftTemporary);
    RecordProperty("seed", static_cast<int>(seed));
    std::printf("%d kills on %s: the file held A %d times, B %d times; %d kills left a temporary behind "
                "(removed by the next write); seed %u\n",
        kKills, memoryDisk.mounted() ? "a tmpfs" : "the disk of $TMPDIR", endedOnA, kKills - endedOnA,
        leftTemporary, seed);
#endif
}

} // namespace
} // namespace vantor::test

#pragma once

// The start-up tools measure fresh processes: the tool starts itself again as a child ("TOOL --child CLIP"),
// which prints its time stamps as "name value" lines.
#include "BenchSupport.h"

#include <cstdio>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vantor::bench {

// Starts `tool` again as a child on `clip` and returns its stamps, with "spawn" the parent's time just before
// the start.
inline std::map<std::string, std::string> runChild(const char* tool, const std::string& clip)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    const std::string self = "/proc/self/exe";
    char* arguments[]
        = { const_cast<char*>(tool), const_cast<char*>("--child"), const_cast<char*>(clip.c_str()), nullptr };
    pid_t pid = 0;
    const double spawned = monotonicSeconds();
    const int failed = posix_spawn(&pid, self.c_str(), &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (failed != 0)
        throw std::runtime_error("posix_spawn failed");
    std::string output;
    char buffer[4096];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, static_cast<std::size_t>(got));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("a start-up run failed");
    std::map<std::string, std::string> stamps;
    std::istringstream lines(output);
    for (std::string key, value; lines >> key >> value;)
        stamps[key] = value;
    char spawnText[64];
    std::snprintf(spawnText, sizeof spawnText, "%.6f", spawned);
    stamps["spawn"] = spawnText;
    return stamps;
}

} // namespace vantor::bench

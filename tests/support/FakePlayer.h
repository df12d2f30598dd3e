#pragma once

#include "model/VantorError.h"
#include "ports/MediaPlayer.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace vantor::test {

// A player whose position the test sets; records every call in order. `failOn` makes the named call throw.
class FakePlayer : public MediaPlayer {
public:
    double position = 0;
    bool mediaOpen = false;
    bool playing = false;
    // The state reported while playing; a test sets another value to model a player that never plays.
    int playingState = kPlayStatePlaying;
    std::string url;
    std::string statusText = "已停止";
    std::string failOn;
    std::vector<std::string> calls;
    std::vector<double> seeks;

    void setUrl(const std::string& path) override
    {
        record("setUrl");
        url = path;
        mediaOpen = true;
    }
    void play() override
    {
        record("play");
        playing = true;
    }
    void stop() override
    {
        record("stop");
        playing = false;
        position = 0;
    }
    void pause() override
    {
        record("pause");
        playing = false;
    }
    double currentPosition() override
    {
        record("currentPosition");
        return position;
    }
    void setCurrentPosition(double seconds) override
    {
        record("setCurrentPosition");
        seeks.push_back(seconds);
        position = seconds;
    }
    std::string currentPositionString() override
    {
        record("currentPositionString");
        if (!mediaOpen)
            return {};
        const long whole = static_cast<long>(std::floor(position));
        char buffer[32];
        if (whole >= 3600)
            std::snprintf(
                buffer, sizeof buffer, "%02ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
        else
            std::snprintf(buffer, sizeof buffer, "%02ld:%02ld", whole / 60, whole % 60);
        return buffer;
    }
    int playState() override
    {
        record("playState");
        return playing ? playingState : 2;
    }
    std::string status() override
    {
        record("status");
        return statusText;
    }
    void fitDisplay(int left, int top, int width, int height) override
    {
        record("fitDisplay");
        fitted = { left, top, width, height };
    }
    void release() override { record("release"); }

    std::vector<int> fitted;

    int count(const std::string& call) const
    {
        int n = 0;
        for (const auto& c : calls)
            n += c == call;
        return n;
    }

private:
    void record(const std::string& call)
    {
        calls.push_back(call);
        if (!failOn.empty() && failOn == call)
            throw Error("player failed: " + call);
    }
};

} // namespace vantor::test

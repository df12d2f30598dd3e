#pragma once

#include "model/VantorError.h"
#include "ports/MediaPlayer.h"

#include <cmath>
#include <cstdio>
#include <functional>
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
    PlayState playingState = PlayState::Playing;
    // The state reported while not playing.
    PlayState stillState = PlayState::Paused;
    // What seekPending() answers; the fake's own seeks arrive at once.
    bool seeking = false;
    std::string url;
    double rate = 1.0;
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
    PlayState playState() override
    {
        record("playState");
        return playing ? playingState : stillState;
    }
    bool seekPending() override
    {
        record("seekPending");
        return seeking;
    }
    std::string status() override
    {
        record("status");
        return statusText;
    }
    void setSpeed(double factor) override
    {
        record("setSpeed");
        rate = factor;
    }
    double speed() override { return rate; }
    void fitDisplay(int left, int top, int width, int height) override
    {
        record("fitDisplay");
        fitted = { left, top, width, height };
    }
    // Not recorded among the calls: the end of every action may make it.
    void setOverlay(const std::vector<OverlayEvent>& events) override
    {
        overlay = events;
        ++overlayUpdates;
    }
    void release() override { record("release"); }
    // Not recorded among the calls: every tick makes it.
    void processEvents() override { ++eventsProcessed; }
    void setOpenFailureHandler(std::function<void(const std::string&)> handler) override
    {
        openFailureHandler = std::move(handler);
    }
    void setStateChangeHandler(std::function<void()> handler) override
    {
        stateChangeHandler = std::move(handler);
    }

    // What the core gave setOpenFailureHandler; a test calls it as the player would.
    std::function<void(const std::string&)> openFailureHandler;
    // What the core gave setStateChangeHandler; a test calls it as the player would.
    std::function<void()> stateChangeHandler;
    int eventsProcessed = 0;

    std::vector<int> fitted;
    // What is drawn over the picture, and how often it was replaced.
    std::vector<OverlayEvent> overlay;
    int overlayUpdates = 0;

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

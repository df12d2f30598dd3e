#include "MainFixture.h"

#include <cctype>
#include <string>

namespace vantor::test {
namespace {

// The window rests Timer1 when a tick has nothing more to find and asks for ticks again through the
// controller's request: at the end of every handler and whenever the player has news.
class TickDemandTest : public MainFixture {
protected:
    int requests = 0;

    void SetUp() override
    {
        MainFixture::SetUp();
        controller.setTickRequestHandler([this] { ++requests; });
    }
};

enum class Handler {
    Open,
    F9WithoutVideo,
    F7WithoutVideo,
    ContinueButton,
    EnterFailingAtThePlayer,
    Unplayable
};

struct HandlerCase {
    const char* name;
    Handler handler;
};

class TickRequestAfterHandlerTest : public TickDemandTest, public ::testing::WithParamInterface<HandlerCase> {
protected:
    void run(Handler handler)
    {
        switch (handler) {
        case Handler::Open:
            open();
            break;
        case Handler::F9WithoutVideo:
            hotKeys.press(HotKey::F9);
            break;
        case Handler::F7WithoutVideo:
            hotKeys.press(HotKey::F7);
            break;
        case Handler::ContinueButton:
            controller.ContinueButtonClick();
            break;
        case Handler::EnterFailingAtThePlayer:
            open();
            player.position = 0.5;
            hotKeys.press(HotKey::F9);
            player.position = 2;
            hotKeys.press(HotKey::F10);
            view.texts[Control::InputEdit] = "Hello";
            requests = 0;
            player.failOn = "setCurrentPosition";
            EXPECT_THROW(controller.InputEditKeyDown(keys::kEnter), Error);
            break;
        case Handler::Unplayable:
            player.openFailureHandler("bad file");
            break;
        }
    }
};

TEST_P(TickRequestAfterHandlerTest, EveryHandlerAsksForTicksOnceWhenItEnds)
{
    run(GetParam().handler);
    EXPECT_EQ(requests, 1) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Handlers, TickRequestAfterHandlerTest,
    ::testing::Values(HandlerCase { "open", Handler::Open },
        HandlerCase { "F9 without a video", Handler::F9WithoutVideo },
        HandlerCase { "F7 without a video", Handler::F7WithoutVideo },
        HandlerCase { "continue button", Handler::ContinueButton },
        HandlerCase { "Enter failing at the player", Handler::EnterFailingAtThePlayer },
        HandlerCase { "the player reports an unplayable file", Handler::Unplayable }),
    [](const ::testing::TestParamInfo<HandlerCase>& info) {
        std::string name;
        for (const char* c = info.param.name; *c; ++c)
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });

TEST_F(TickDemandTest, CaptureStepsAskForTicksOncePerHandlerAndTheTickItselfNever)
{
    open();
    requests = 0;
    player.position = 3;
    hotKeys.press(HotKey::F9);
    EXPECT_EQ(requests, 1);
    player.position = 5;
    controller.Timer1Timer();
    EXPECT_EQ(requests, 1) << "a tick that asked for ticks would never let the timer rest";
    hotKeys.press(HotKey::F10);
    EXPECT_EQ(requests, 2);
}

TEST_F(TickDemandTest, NewsFromThePlayerAsksForTicks)
{
    ASSERT_TRUE(player.stateChangeHandler);
    player.stateChangeHandler();
    player.stateChangeHandler();
    EXPECT_EQ(requests, 2);
}

TEST_F(TickDemandTest, AfterOpeningTheTickRunsWhileThePlayerOpensThenRestsOnTheStoppedVideo)
{
    open();
    player.stillState = PlayState::Transitioning;
    controller.Timer1Timer();
    EXPECT_TRUE(controller.needsTick());
    player.stillState = PlayState::Stopped;
    controller.Timer1Timer();
    EXPECT_FALSE(controller.needsTick());
}

} // namespace
} // namespace vantor::test

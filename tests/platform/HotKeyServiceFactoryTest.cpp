#include "HotKeyServiceFactory.h"

#include <QGuiApplication>
#include <QWidget>

#include <gtest/gtest.h>

namespace vantor {
namespace {

// The X route is taken on a real X server, which the Xvfb test of the probe covers; the portal route on a
// private session bus, which the portal tests cover.
TEST(HotKeyServiceFactoryTest, WithoutAnXServerTheKeysWorkInsideTheProgram)
{
    ASSERT_NE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    // Not a Wayland session: the portal of whoever runs the tests is not asked.
    qunsetenv("WAYLAND_DISPLAY");
    qunsetenv("XDG_SESSION_TYPE");
    QWidget window;
    const std::unique_ptr<HotKeyService> service = makeHotKeyService(window);
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(service->route(), "application");
    for (HotKey key : kHotKeysInOrder)
        EXPECT_TRUE(service->registerKey(key)) << hotKeyName(key);
    EXPECT_FALSE(service->answerPending());
}

struct SessionCase {
    const char* waylandDisplay;
    const char* sessionType;
    bool wayland;
};

TEST(HotKeyServiceFactoryTest, AWaylandSessionIsKnownByItsDisplayOrItsSessionType)
{
    const SessionCase cases[] = {
        { "wayland-0", nullptr, true },
        { "wayland-0", "x11", true }, // a Wayland display wins over a stale session type
        { nullptr, "wayland", true }, // XWayland programs may see no WAYLAND_DISPLAY
        { "", "wayland", true },
        { nullptr, "x11", false },
        { "", "tty", false },
        { nullptr, nullptr, false },
        { "", "", false },
    };
    for (const SessionCase& c : cases)
        EXPECT_EQ(isWaylandSession(c.waylandDisplay, c.sessionType), c.wayland)
            << (c.waylandDisplay ? c.waylandDisplay : "(unset)") << " / "
            << (c.sessionType ? c.sessionType : "(unset)");
}

struct RouteCase {
    bool wayland;
    bool portalAnswers;
    bool onX11;
    HotKeyRoute route;
};

TEST(HotKeyServiceFactoryTest, ThePortalIsUsedInAWaylandSessionOnlyAndX11GrabsOnlyOnX)
{
    const RouteCase cases[] = {
        { true, true, false, HotKeyRoute::Portal },
        { true, true, true, HotKeyRoute::Portal }, // XWayland: grabs would see only X windows' keys
        { true, false, true, HotKeyRoute::X11 },
        { true, false, false, HotKeyRoute::Application },
        { false, true, true, HotKeyRoute::X11 },
        { false, false, true, HotKeyRoute::X11 },
        { false, true, false, HotKeyRoute::Application },
        { false, false, false, HotKeyRoute::Application },
    };
    for (const RouteCase& c : cases)
        EXPECT_EQ(chooseHotKeyRoute(c.wayland, c.portalAnswers, c.onX11), c.route)
            << "wayland " << c.wayland << ", portal " << c.portalAnswers << ", X11 " << c.onX11;
}

} // namespace
} // namespace vantor

// The footer line about the hot keys, and how the main window's behaviour keeps it up to date when the
// desktop answers later.
#include "capture/HotKeyFooter.h"
#include "MainFixture.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

namespace vantor::test {
namespace {

struct FooterCase {
    const char* name;
    const char* route;
    std::vector<HotKey> refused;
    bool pending;
    const char* footer;
};

// The case's name, not its bytes: ctest names the discovered tests with this text.
void PrintTo(const FooterCase& c, std::ostream* out)
{
    *out << c.name;
}

class HotKeyFooterTest : public ::testing::TestWithParam<FooterCase> { };

TEST_P(HotKeyFooterTest, SaysTheRouteTheRefusedKeysAndWhereToSetThem)
{
    const FooterCase& c = GetParam();
    EXPECT_EQ(hotKeyFooter(c.route, c.refused, c.pending), c.footer);
}

INSTANTIATE_TEST_SUITE_P(Routes, HotKeyFooterTest,
    ::testing::Values(FooterCase { "X11AllHeld", "X11", {}, false, "全局热键 F7–F10：X11" },
        FooterCase { "X11TwoTaken", "X11", { HotKey::F9, HotKey::F8 }, false,
            "全局热键：X11；F9、F8 已被其他程序占用，请用鼠标点击对应按钮" },
        FooterCase { "PortalAsking", "portal", {}, true, "全局热键：正在向桌面门户申请…" },
        FooterCase {
            "PortalAllGranted", "portal", {}, false, "全局热键：桌面门户（可在系统设置 › 快捷键中更改）" },
        FooterCase { "PortalF10Refused", "portal", { HotKey::F10 }, false,
            "全局热键：桌面门户；F10 未获准，仅在本窗口有效，可在系统设置 › 快捷键中设置" },
        FooterCase { "PortalAllRefused", "portal", { HotKey::F9, HotKey::F10, HotKey::F7, HotKey::F8 }, false,
            "全局热键：桌面门户；F9、F10、F7、F8 未获准，仅在本窗口有效，可在系统设置 › 快捷键中设置" },
        FooterCase {
            "InWindowOnly", "application", {}, false, "热键 F7–F10 仅在本窗口有效（桌面未提供全局热键）" }),
    [](const ::testing::TestParamInfo<FooterCase>& info) { return std::string(info.param.name); });

TEST(HotKeyAnswer, ThePendingFooterGivesWayToTheDesktopsAnswer)
{
    MainRig rig;
    rig.hotKeys.routeName = "portal";
    rig.hotKeys.pending = true;
    rig.controller.FormCreate();
    EXPECT_EQ(rig.view.texts[Control::Label3], "全局热键：正在向桌面门户申请…");
    EXPECT_TRUE(rig.controller.refusedHotKeys().empty());

    // Refused keys come in any order; the window lists them in registration order.
    rig.hotKeys.answer({ HotKey::F8, HotKey::F9 });
    EXPECT_EQ(rig.controller.refusedHotKeys(), (std::vector<HotKey> { HotKey::F9, HotKey::F8 }));
    EXPECT_EQ(rig.view.texts[Control::Label3], hotKeyFooter("portal", { HotKey::F9, HotKey::F8 }, false));
    EXPECT_TRUE(rig.dialogs.errors.empty()) << "a refusal is not an error";

    // The user granted the keys later in the desktop's settings.
    rig.hotKeys.answer({});
    EXPECT_TRUE(rig.controller.refusedHotKeys().empty());
    EXPECT_EQ(rig.view.texts[Control::Label3], "全局热键：桌面门户（可在系统设置 › 快捷键中更改）");

    // Refused keys still work inside the program: the service keeps them.
    EXPECT_TRUE(rig.hotKeys.press(HotKey::F7));
    EXPECT_TRUE(rig.controller.session().EditMode);
}

TEST(HotKeyAnswer, ASynchronousRouteNamesItselfInTheFooterAtOnce)
{
    MainRig rig;
    rig.hotKeys.routeName = "application";
    rig.controller.FormCreate();
    EXPECT_EQ(rig.view.texts[Control::Label3], "热键 F7–F10 仅在本窗口有效（桌面未提供全局热键）");
}

} // namespace
} // namespace vantor::test

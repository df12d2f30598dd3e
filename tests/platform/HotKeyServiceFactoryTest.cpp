#include "HotKeyServiceFactory.h"

#include <QGuiApplication>
#include <QWidget>

#include <gtest/gtest.h>

namespace vantor {
namespace {

// The X route is taken on a real X server, which the Xvfb test of the probe covers.
TEST(HotKeyServiceFactoryTest, WithoutAnXServerTheKeysWorkInsideTheProgram)
{
    ASSERT_NE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QWidget window;
    const std::unique_ptr<HotKeyService> service = makeHotKeyService(window);
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(service->route(), "application");
    for (HotKey key : kHotKeysInOrder)
        EXPECT_TRUE(service->registerKey(key)) << hotKeyName(key);
}

} // namespace
} // namespace vantor

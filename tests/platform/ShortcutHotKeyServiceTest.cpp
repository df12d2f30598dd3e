#include "ShortcutHotKeyService.h"

#include <QApplication>
#include <QLineEdit>
#include <QShortcut>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vantor {
namespace {

Qt::Key qtKey(HotKey key)
{
    switch (key) {
    case HotKey::F9:
        return Qt::Key_F9;
    case HotKey::F10:
        return Qt::Key_F10;
    case HotKey::F7:
        return Qt::Key_F7;
    case HotKey::F8:
        return Qt::Key_F8;
    }
    return Qt::Key_unknown;
}

// A main window with a focused input field, shown and active, and the service on it with every press
// recorded.
class ShortcutHotKeyServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(m_window.get());
        m_input = new QLineEdit(m_window.get());
        layout->addWidget(m_input);
        m_service = std::make_unique<ShortcutHotKeyService>(*m_window);
        m_service->setHandler([this](HotKey key) { m_received.push_back(key); });
        activate(*m_window, *m_input);
    }

    void TearDown() override
    {
        m_service.reset();
        m_window.reset();
    }

    static void activate(QWidget& window, QWidget& focus)
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        focus.setFocus();
    }

    void registerAll()
    {
        for (HotKey key : kHotKeysInOrder)
            ASSERT_TRUE(m_service->registerKey(key));
    }

    void press(HotKey key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), qtKey(key), modifiers);
    }

    std::unique_ptr<QWidget> m_window;
    QLineEdit* m_input = nullptr;
    std::unique_ptr<ShortcutHotKeyService> m_service;
    std::vector<HotKey> m_received;
};

TEST_F(ShortcutHotKeyServiceTest, RouteIsApplicationAndEveryKeyIsAccepted)
{
    EXPECT_EQ(m_service->route(), "application");
    for (HotKey key : kHotKeysInOrder)
        EXPECT_TRUE(m_service->registerKey(key)) << hotKeyName(key);
}

TEST_F(ShortcutHotKeyServiceTest, EachKeyReachesTheHandlerOnceAsItself)
{
    registerAll();
    for (HotKey key : kHotKeysInOrder) {
        m_received.clear();
        press(key);
        EXPECT_EQ(m_received, std::vector<HotKey> { key }) << hotKeyName(key);
    }
    EXPECT_EQ(m_input->text(), QString());
}

TEST_F(ShortcutHotKeyServiceTest, KeysArriveWhileAnotherWindowOfTheProgramIsActive)
{
    registerAll();
    QWidget other;
    auto* otherInput = new QLineEdit(&other);
    activate(other, *otherInput);
    ASSERT_EQ(QApplication::activeWindow(), &other);
    press(HotKey::F10);
    press(HotKey::F8);
    EXPECT_EQ(m_received, (std::vector<HotKey> { HotKey::F10, HotKey::F8 }));
}

TEST_F(ShortcutHotKeyServiceTest, KeysWithModifiersDoNotArrive)
{
    registerAll();
    for (Qt::KeyboardModifiers modifiers : { Qt::KeyboardModifiers(Qt::ShiftModifier),
             Qt::KeyboardModifiers(Qt::ControlModifier), Qt::KeyboardModifiers(Qt::AltModifier),
             Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier) }) {
        for (HotKey key : kHotKeysInOrder)
            press(key, modifiers);
    }
    EXPECT_EQ(m_received, std::vector<HotKey> {});
}

TEST_F(ShortcutHotKeyServiceTest, OnlyRegisteredKeysArrive)
{
    ASSERT_TRUE(m_service->registerKey(HotKey::F7));
    for (HotKey key : kHotKeysInOrder)
        press(key);
    EXPECT_EQ(m_received, std::vector<HotKey> { HotKey::F7 });
}

TEST_F(ShortcutHotKeyServiceTest, AKeyGivenBackStopsArrivingAndTheOthersStay)
{
    registerAll();
    m_service->unregisterKey(HotKey::F9);
    for (HotKey key : kHotKeysInOrder)
        press(key);
    EXPECT_EQ(m_received, (std::vector<HotKey> { HotKey::F10, HotKey::F7, HotKey::F8 }));
}

TEST_F(ShortcutHotKeyServiceTest, AKeyRegisteredAgainArrivesOnce)
{
    ASSERT_TRUE(m_service->registerKey(HotKey::F9));
    m_service->unregisterKey(HotKey::F9);
    ASSERT_TRUE(m_service->registerKey(HotKey::F9));
    ASSERT_TRUE(m_service->registerKey(HotKey::F9));
    press(HotKey::F9);
    EXPECT_EQ(m_received, std::vector<HotKey> { HotKey::F9 });
    EXPECT_EQ(m_window->findChildren<QShortcut*>().size(), 1);
}

TEST_F(ShortcutHotKeyServiceTest, GivingBackAKeyNeverRegisteredChangesNothing)
{
    ASSERT_TRUE(m_service->registerKey(HotKey::F10));
    m_service->unregisterKey(HotKey::F9);
    press(HotKey::F10);
    EXPECT_EQ(m_received, std::vector<HotKey> { HotKey::F10 });
}

TEST_F(ShortcutHotKeyServiceTest, PressesGoToTheLatestHandler)
{
    registerAll();
    std::vector<HotKey> second;
    m_service->setHandler([&second](HotKey key) { second.push_back(key); });
    press(HotKey::F7);
    EXPECT_EQ(m_received, std::vector<HotKey> {});
    EXPECT_EQ(second, std::vector<HotKey> { HotKey::F7 });
}

TEST_F(ShortcutHotKeyServiceTest, TheServiceTakesItsShortcutsWithIt)
{
    registerAll();
    m_service.reset();
    ASSERT_EQ(m_window->findChildren<QShortcut*>().size(), 0);
    press(HotKey::F9);
    EXPECT_EQ(m_received, std::vector<HotKey> {});
}

TEST_F(ShortcutHotKeyServiceTest, AServiceOutlivingItsWindowRefusesKeysAndEndsCleanly)
{
    registerAll();
    m_input = nullptr;
    m_window.reset();
    EXPECT_FALSE(m_service->registerKey(HotKey::F9));
    m_service->unregisterKey(HotKey::F10);
    m_service.reset();
    EXPECT_EQ(m_received, std::vector<HotKey> {});
}

} // namespace
} // namespace vantor

#include "Application.h"

#include "Fonts.h"
#include "HotKeyServiceFactory.h"
#include "IniSettingsStore.h"
#include "QtDialogs.h"
#include "ShortcutHotKeyService.h"

#include <QApplication>
#include <QIcon>

#include <clocale>

namespace vantor {

namespace {

std::unique_ptr<QtDialogs> ownDialogsUnless(const Dialogs* given)
{
    return given ? nullptr : std::make_unique<QtDialogs>();
}

} // namespace

void Application::prepareProcess()
{
    QApplication::setApplicationName(QStringLiteral("vantor"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.vantor.Vantor"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("vantor")));
    // libmpv needs "." as the decimal point for the whole life of the process.
    std::setlocale(LC_NUMERIC, "C");
    installFontSubstitutions();
}

Application::Application(ApplicationOptions options)
    : m_options(std::move(options))
    , m_language(m_options.language)
    , m_player(m_options.player)
    , m_ownDialogs(ownDialogsUnless(m_options.dialogs))
    , m_dialogs(m_options.dialogs ? *m_options.dialogs : *m_ownDialogs)
    , m_form((step("player"), m_dialogs))
    , m_fontViews(m_dialogs)
{
    step("window");
    if (m_ownDialogs)
        m_ownDialogs->setParent(&m_form);
    m_form.setVideoSurface(m_player.createVideoSurface(m_form.videoPanel()));
    if (m_options.inWindowKeys)
        m_hotKeys = std::make_unique<ShortcutHotKeyService>(m_form);
    else
        m_hotKeys = makeHotKeyService(m_form);
    SettingsStore* settings = m_options.settings;
    if (!settings) {
        m_ownSettings = std::make_unique<IniSettingsStore>(
            m_options.settingsFolder.empty() ? IniSettingsStore::defaultFolder() : m_options.settingsFolder);
        settings = m_ownSettings.get();
    }
    m_controller = std::make_unique<MainController>(
        MainPorts { m_form, m_player, m_dialogs, m_files, m_codec, *m_hotKeys, *settings, m_fontViews });
    m_form.attach(*m_controller);
    m_controller->fileSet().setNewFileCodePage(newFileCodePage(*settings));
    m_controller->FormCreate();
    step("ready");
}

Application::~Application()
{
    // Closing runs FormClose (saves, frees the player, gives the keys back). The player goes before the
    // window in any case: its render context must be freed while the surface widget still exists.
    if (m_form.QWidget::isVisible())
        m_form.close();
    m_player.release();
}

CodePage Application::newFileCodePage(SettingsStore& settings) const
{
    std::string choice = m_options.newFileEncoding;
    if (choice.empty()) {
        try {
            choice = settings.readValue(std::string(kNewFileEncodingSetting));
        } catch (const std::exception&) {
            // An unreadable settings file leaves the choice to the language.
        }
    }
    if (choice == "utf-8" || choice == "UTF-8" || choice == "utf8")
        return CodePage::Utf8;
    if (choice == "gbk" || choice == "GBK")
        return CodePage::Gbk;
    return m_language.language() == "en" ? CodePage::Utf8 : CodePage::Gbk;
}

void Application::show()
{
    m_form.show();
}

void Application::openVideoAtStart(const std::string& path)
{
    m_player.whenStarted([this, path] {
        try {
            m_controller->openVideo(path);
        } catch (const std::exception& error) {
            m_dialogs.reportError(error.what());
        }
    });
}

void Application::step(std::string_view name) const
{
    if (m_options.onStep)
        m_options.onStep(name);
}

} // namespace vantor

#include "Language.h"

#include "model/Translate.h"
#include "model/VantorError.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <algorithm>
#include <cstdlib>

namespace vantor {

namespace {

// "zh", "en", or empty for a language without texts of its own.
std::string languageOfLocale(const std::string& name)
{
    if (name.rfind("zh", 0) == 0)
        return "zh";
    if (name.rfind("en", 0) == 0)
        return "en";
    return {};
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Where the translation files lie: beside the installed program, then in the build tree.
QStringList translationFolders()
{
    QStringList folders;
    if (QCoreApplication::instance())
        folders << QCoreApplication::applicationDirPath() + QStringLiteral("/../share/vantor/translations");
#ifdef VANTOR_BUILD_TRANSLATIONS
    folders << QStringLiteral(VANTOR_BUILD_TRANSLATIONS);
#endif
    return folders;
}

} // namespace

std::string languageOfEnvironment()
{
    std::string locale;
    for (const char* name : { "LC_ALL", "LC_MESSAGES", "LANG" }) {
        locale = environment(name);
        if (!locale.empty())
            break;
    }
    // As with gettext, LANGUAGE counts only where a locale other than C is set.
    if (locale.empty() || locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0)
        return "zh";
    const std::string list = environment("LANGUAGE");
    for (std::size_t start = 0; start < list.size();) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        const std::string language = languageOfLocale(list.substr(start, end - start));
        if (language == "zh" || language == "en")
            return language;
        start = end + 1;
    }
    return languageOfLocale(locale) == "zh" ? "zh" : "en";
}

InterfaceLanguage::InterfaceLanguage(const std::string& language)
    : m_language(language)
{
    if (language != "zh") {
        m_translator = std::make_unique<QTranslator>();
        bool loaded = false;
        for (const QString& folder : translationFolders()) {
            if (m_translator->load(QStringLiteral("vantor_") + QString::fromStdString(language), folder)) {
                loaded = true;
                break;
            }
        }
        if (!loaded)
            throw Error("vantor: no translation file for \"" + language + "\" (vantor_" + language + ".qm)");
        QCoreApplication::installTranslator(m_translator.get());
    }
    setTranslator([](const char* context, const char* source) {
        return QCoreApplication::translate(context, source).toStdString();
    });
}

InterfaceLanguage::~InterfaceLanguage()
{
    setTranslator({});
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
}

} // namespace vantor

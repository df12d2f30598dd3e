#pragma once

#include <QTranslator>

#include <memory>
#include <string>

namespace vantor {

// The interface's language: the program's texts are written in Chinese and translated into English.
// "zh" for Chinese, "en" for English.
// The user's language as the environment gives it, in the order gettext reads it: LANGUAGE (a list; its
// first Chinese or English entry), LC_ALL, LC_MESSAGES, LANG. Chinese and the C and POSIX locales give
// "zh", English gives "en"; a language the program has no texts for gives "en", the translation more
// readers know.
std::string languageOfEnvironment();

// Installs the texts of `language` for the whole process while it lives (Qt's translator, and the core's),
// and takes them back when it goes.
class InterfaceLanguage {
public:
    // Throws vantor::Error when the translation file of `language` cannot be found or read.
    explicit InterfaceLanguage(const std::string& language);
    ~InterfaceLanguage();
    InterfaceLanguage(const InterfaceLanguage&) = delete;
    InterfaceLanguage& operator=(const InterfaceLanguage&) = delete;

    const std::string& language() const { return m_language; }

private:
    std::string m_language;
    std::unique_ptr<QTranslator> m_translator;
};

} // namespace vantor

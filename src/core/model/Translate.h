#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace vantor {

// The program's own texts are written in Chinese; the interface shows them in the user's language. A text
// is looked up by the context it is written in (the class's name) and its Chinese source, as the
// translation files list it.
using Translator = std::function<std::string(const char* context, const char* source)>;

// Installs the translator every later translate() asks; an empty one shows the sources.
void setTranslator(Translator translator);

// The text to show for `source` (UTF-8): its translation, or the source itself where there is none.
std::string translate(const char* context, const char* source);

// `text` with %1, %2 … %9 replaced by `arguments` in order; a place whose argument is missing stays.
std::string withArguments(std::string_view text, std::initializer_list<std::string_view> arguments);

} // namespace vantor

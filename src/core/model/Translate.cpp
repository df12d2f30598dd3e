#include "model/Translate.h"

#include <vector>

namespace vantor {

namespace {
Translator& installed()
{
    static Translator translator;
    return translator;
}
} // namespace

void setTranslator(Translator translator)
{
    installed() = std::move(translator);
}

std::string translate(const char* context, const char* source)
{
    const Translator& translator = installed();
    return translator ? translator(context, source) : std::string(source);
}

std::string withArguments(std::string_view text, std::initializer_list<std::string_view> arguments)
{
    const std::vector<std::string_view> values(arguments);
    std::string result;
    result.reserve(text.size() + 64);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const auto index = static_cast<std::size_t>(text[i + 1] - '1');
            if (index < values.size()) {
                result.append(values[index]);
                ++i;
                continue;
            }
        }
        result += text[i];
    }
    return result;
}

} // namespace vantor

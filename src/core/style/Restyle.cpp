#include "style/Restyle.h"

#include "model/TextDocument.h"
#include "srt/StyleTags.h"

namespace vantor {

namespace {

// Byte offset of the first `c` at a character start, from `from` (itself a character start), or npos.
std::size_t findCharacter(std::string_view text, char c, std::size_t from, CodePage codePage)
{
    for (std::size_t i = from; i < text.size(); i += characterLength(text, i, codePage)) {
        if (text[i] == c)
            return i;
    }
    return std::string_view::npos;
}

// Length of the "{...}" group that starts at `from`, or 0 when it is not closed or opens a second group.
std::size_t braceGroupLength(std::string_view text, std::size_t from, CodePage codePage)
{
    if (from >= text.size() || text[from] != '{')
        return 0;
    for (std::size_t i = from + 1; i < text.size(); i += characterLength(text, i, codePage)) {
        if (text[i] == '{')
            return 0;
        if (text[i] == '}')
            return i - from + 1;
    }
    return 0;
}

std::size_t countOf(std::string_view text, std::string_view needle)
{
    std::size_t count = 0;
    for (auto at = text.find(needle); at != std::string_view::npos;
         at = text.find(needle, at + needle.size()))
        ++count;
    return count;
}

} // namespace

StyleBlock leadingStyleBlock(std::string_view line, CodePage codePage)
{
    if (line.empty())
        return {};
    if (line.front() == '{') {
        const std::size_t group = braceGroupLength(line, 0, codePage);
        if (group == 0)
            return {};
        if (line.substr(group, kDefaultStylePart2.size()) == kDefaultStylePart2)
            return { StyleBlockKind::DefaultBold, group + kDefaultStylePart2.size() };
        return { StyleBlockKind::Override, group };
    }
    if (line.front() == '<') {
        // "<" and ">" are below 0x40 and so never the second byte of a GBK character.
        const std::size_t tagEnd = findCharacter(line, '>', 1, codePage);
        if (tagEnd == std::string_view::npos
            || line.substr(1, tagEnd - 1).find('<') != std::string_view::npos)
            return {};
        const std::size_t group = braceGroupLength(line, tagEnd + 1, codePage);
        if (group == 0)
            return {};
        return { StyleBlockKind::Custom, tagEnd + 1 + group };
    }
    return {};
}

std::size_t firstTextLineIndex(const std::vector<std::string>& lines)
{
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (isTextLine(lines, i))
            return i;
    }
    return lines.size();
}

std::string balanceBoldEnd(std::string line, RestyleTarget target)
{
    // "<" starts a character in every code page used, so a plain byte search finds only real tags.
    const std::size_t opens = countOf(line, kDefaultStylePart2);
    const std::size_t closes = countOf(line, kBoldEnd);
    if (target == RestyleTarget::Default && opens > closes)
        line += kBoldEnd;
    else if (target == RestyleTarget::Custom && closes > opens && line.ends_with(kBoldEnd))
        line.resize(line.size() - kBoldEnd.size());
    return line;
}

std::string restyleEachTextLine(const std::vector<std::string>& lines, std::string_view block,
    RestyleTarget target, CodePage codePage, bool keepStyled)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (isTextLine(lines, i)) {
            const std::string_view line = lines[i];
            const StyleBlock old = leadingStyleBlock(line, codePage);
            if (keepStyled && old.kind != StyleBlockKind::None && line.substr(0, old.length) == block) {
                text += line;
                text += TextDocument::kLineEnd;
                continue;
            }
            std::string restyled(block);
            restyled.append(line.substr(old.length));
            text += balanceBoldEnd(std::move(restyled), target);
        } else {
            text += lines[i];
        }
        text += TextDocument::kLineEnd;
    }
    return text;
}

} // namespace vantor

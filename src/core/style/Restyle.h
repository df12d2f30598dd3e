#pragma once

#include "model/Text.h"
#include "srt/SrtLayout.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// The tag block a subtitle text line may begin with.
enum class StyleBlockKind {
    None,
    Override, // "{...}": override codes only
    DefaultBold, // "{...}<b>": a block of the default kind
    Custom, // "<...>{...}": a block of the custom kind
};

struct StyleBlock {
    StyleBlockKind kind = StyleBlockKind::None;
    std::size_t length = 0; // bytes, from the start of the line
};

// The style block at the very start of `line`, found at character starts of `codePage` (a "{" or "}"
// can be the second byte of a GBK character). Tags only: a block never takes in subtitle text.
StyleBlock leadingStyleBlock(std::string_view line, CodePage codePage);

// Index of the first text line, or lines.size() when there is none.
std::size_t firstTextLineIndex(const std::vector<std::string>& lines);

enum class RestyleTarget { Custom, Default };

// Keeps the default block's "<b>" closed: for the default target one "</b>" is appended when the line
// opens more "<b>" than it closes; for the custom target a trailing "</b>" that closes nothing is removed.
std::string balanceBoldEnd(std::string line, RestyleTarget target);

// Line by line: every text line gets `block` in place of its leading style block, or in front when it has
// none, and its bold end balanced for `target`. With `keepStyled`, a line whose leading block already is
// `block` stays as it is: saving a document in the style it has changes nothing, and a "<b>" or "</b>" of
// the subtitle's own text is not the block's to balance. Numbers, time lines and empty lines stay byte for
// byte. Returns the document text (each line followed by CR LF).
std::string restyleEachTextLine(const std::vector<std::string>& lines, std::string_view block,
    RestyleTarget target, CodePage codePage, bool keepStyled);

} // namespace vantor

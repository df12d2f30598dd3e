#pragma once

#include <array>
#include <string_view>

namespace vantor {

// The font names the windows and the styles are designed with, and the families Debian ships for them
// (Noto CJK, AR PL UKai, URW base35, DejaVu), best first. Both the windows and the subtitles drawn on the
// video go through this table, so a style looks the same in the dialog and on the picture.
struct FontSubstitution {
    std::string_view family;
    std::string_view first;
    std::string_view second; // empty when there is no second choice
};

inline constexpr std::array<FontSubstitution, 9> kFontSubstitutions { {
    { "黑体", "Noto Sans CJK SC", "" },
    { "SimHei", "Noto Sans CJK SC", "" },
    { "宋体", "Noto Serif CJK SC", "" },
    { "SimSun", "Noto Serif CJK SC", "" },
    { "楷体_GB2312", "AR PL UKai CN", "Noto Serif CJK SC" },
    { "KaiTi", "AR PL UKai CN", "" },
    { "Monotype Corsiva", "Z003", "" },
    { "MS Sans Serif", "DejaVu Sans", "" },
    { "MS Serif", "DejaVu Serif", "" },
} };

// The family to draw `family` with: its first substitute, or `family` itself when it has none.
constexpr std::string_view substituteFont(std::string_view family)
{
    for (const FontSubstitution& entry : kFontSubstitutions) {
        if (entry.family == family)
            return entry.first;
    }
    return family;
}

} // namespace vantor

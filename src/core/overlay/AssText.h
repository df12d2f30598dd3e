#pragma once

#include "ports/MediaPlayer.h"

#include <string_view>

namespace vantor {

// The script resolution SRT renderers give the override tags of SRT text: \pos(190,270) is near the
// bottom middle of any picture.
inline constexpr int kOverlayScriptWidth = 384;
inline constexpr int kOverlayScriptHeight = 288;

// The look of text that sets nothing itself, as SRT renderers draw it: white Arial 16 with a black
// one-pixel outline, no shadow, bottom middle, 10 from the edges.
inline constexpr std::string_view kOverlayDefaultTags
    = "{\\fnArial\\fs16\\c&HFFFFFF&\\3c&H000000&\\4c&H000000&\\bord1\\shad0\\b0\\i0\\u0\\s0\\q0}";

// An entry's text (UTF-8, its lines joined by "\n") as it is drawn over the picture: the SRT tags <b>,
// <i>, <u>, <s> and <font color/face/size> become override tags, override blocks stay (their \pos and \an
// become the event's place, their font names go through the font table), and the default look comes
// first. Text that only looks like a tag stays text.
OverlayEvent overlayEventOfSrtText(std::string_view text);

} // namespace vantor

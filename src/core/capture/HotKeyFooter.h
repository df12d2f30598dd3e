#pragma once

#include "ports/HotKeyService.h"

#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// The window's footer line about the hot keys (UTF-8): which route is in force ("X11", "portal",
// "application", as HotKeyService::route() names it), which keys the desktop did not grant, and where the
// user can set them. `pending` while the desktop's answer is still to come. Short enough for the footer
// label at the bottom of the 728-pixel window.
std::string hotKeyFooter(std::string_view route, const std::vector<HotKey>& refused, bool pending);

} // namespace vantor

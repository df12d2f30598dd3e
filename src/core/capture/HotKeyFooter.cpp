#include "capture/HotKeyFooter.h"

#include "model/Translate.h"

namespace vantor {

namespace {

std::string keyList(const std::vector<HotKey>& keys)
{
    std::string list;
    for (const HotKey key : keys)
        list += (list.empty() ? std::string() : translate("HotKeyFooter", "、")) + hotKeyLabel(key);
    return list;
}

} // namespace

std::string hotKeyFooter(std::string_view route, const std::vector<HotKey>& refused, bool pending)
{
    if (route == "application")
        return translate("HotKeyFooter", "热键 F7–F10 仅在本窗口有效（桌面未提供全局热键）");
    if (route == "portal") {
        if (pending)
            return translate("HotKeyFooter", "全局热键：正在向桌面门户申请…");
        // Portal version 1 has no call that opens the desktop's shortcut settings: name the place.
        if (refused.empty())
            return translate("HotKeyFooter", "全局热键：桌面门户（可在系统设置 › 快捷键中更改）");
        return withArguments(
            translate(
                "HotKeyFooter", "全局热键：桌面门户；%1 未获准，仅在本窗口有效，可在系统设置 › 快捷键中设置"),
            { keyList(refused) });
    }
    if (refused.empty())
        return withArguments(translate("HotKeyFooter", "全局热键 F7–F10：%1"), { route });
    return withArguments(translate("HotKeyFooter", "全局热键：%1；%2 已被其他程序占用，请用鼠标点击对应按钮"),
        { route, keyList(refused) });
}

} // namespace vantor

#include "ui/hot_key_text.h"

#include <cstdint>

#include "toolkit/vk_keys.h"

namespace {
constexpr int kModAlt = 1, kModControl = 2, kModShift = 4;
}  // namespace

int HotKeyWordToControlFlags(HotKeyWord word) {
    const int mods = HotKeyModifiers(word);
    return ((mods & kModAlt) ? HOTKEYF_ALT : 0) | ((mods & kModControl) ? HOTKEYF_CONTROL : 0) |
           ((mods & kModShift) ? HOTKEYF_SHIFT : 0);
}

HotKeyWord MakeHotKeyWord(int virtualKey, int controlFlags) {
    const int mods = ((controlFlags & HOTKEYF_ALT) ? kModAlt : 0) |
                     ((controlFlags & HOTKEYF_CONTROL) ? kModControl : 0) |
                     ((controlFlags & HOTKEYF_SHIFT) ? kModShift : 0);
    return static_cast<HotKeyWord>((static_cast<std::uint32_t>(virtualKey) << 16) |
                                   static_cast<std::uint32_t>(mods));
}

QString HotKeyWordText(HotKeyWord word) {
    if (HotKeyVirtualKey(word) == 0) return {};
    return HotKeyText(HotKeyVirtualKey(word), HotKeyWordToControlFlags(word));
}

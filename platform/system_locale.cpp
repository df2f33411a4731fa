#include "platform/system_locale.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

int AnsiCodePageForLocale(const char* localeName) {
    if (!localeName) return 1252;
    const std::string_view name(localeName);
    auto is = [&name](std::string_view prefix) { return name.starts_with(prefix); };
    if (is("zh_TW") || is("zh_HK") || is("zh_MO")) return 950;
    if (is("zh")) return 936;
    if (is("ja")) return 932;
    if (is("ko")) return 949;
    if (is("th")) return 874;
    if (is("ru") || is("uk") || is("be") || is("bg") || is("sr") || is("mk")) return 1251;
    if (is("pl") || is("cs") || is("sk") || is("hu") || is("hr") || is("sl") || is("ro"))
        return 1250;
    if (is("el")) return 1253;
    if (is("tr") || is("az")) return 1254;
    if (is("he")) return 1255;
    if (is("ar") || is("fa") || is("ur")) return 1256;
    if (is("et") || is("lv") || is("lt")) return 1257;
    if (is("vi")) return 1258;
    return 1252;
}

int SystemAnsiCodePage() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return AnsiCodePageForLocale(value);
    }
    return 1252;
}

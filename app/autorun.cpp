#include "app/autorun.h"

#include <unistd.h>

#include <cerrno>

#include "app/process_globals.h"
#include "platform/file_io.h"
#include "platform/folders.h"
#include "platform/text.h"

namespace {

constexpr std::wstring_view kAutoRunSwitch = L" /autorun";
// The stored command is read with the room a 2,048-byte value buffer gives.
constexpr std::size_t kMaxEntryBytes = 2048 * 4;

std::wstring ProgramPath() { return Globals().ExeFolder + L"/taviocr"; }

// Desktop entries escape these in an Exec value.
std::string QuoteExecArgument(const std::string& path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string UnquoteExecArgument(std::string_view text) {
    if (text.size() < 2 || text.front() != '"') return std::string(text);
    std::string plain;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '"') break;
        if (text[i] == '\\' && i + 1 < text.size()) ++i;
        plain += text[i];
    }
    return plain;
}

}  // namespace

std::wstring AutoRunEntryPath() { return QueryUserConfigFolder() + L"/autostart/TaviOCR.desktop"; }

bool RegisterAutoRun(bool enable) {
    const std::wstring path = AutoRunEntryPath();
    if (!enable) return ::unlink(NarrowPath(path).c_str()) == 0 || errno == ENOENT;
    const std::string entry = "[Desktop Entry]\nType=Application\nName=TaviOCR\nExec=" +
                              QuoteExecArgument(WideToUtf8(ProgramPath())) +
                              WideToUtf8(kAutoRunSwitch) +
                              "\nX-GNOME-Autostart-enabled=true\nTerminal=false\n";
    return CreateFolderTree(path.substr(0, path.rfind(L'/'))) && WriteFileAtomically(path, entry);
}

bool IsAutoRunRegistered() {
    const auto entry = ReadWholeFile(AutoRunEntryPath(), kMaxEntryBytes);
    if (!entry) return false;
    std::string_view text = *entry;
    const auto exec = text.find("\nExec=");
    if (exec == std::string_view::npos) return false;
    std::string_view command = text.substr(exec + 6);
    command = command.substr(0, command.find('\n'));
    const auto cut = command.find(WideToUtf8(kAutoRunSwitch));
    if (cut == std::string_view::npos) return false;
    return FileExists(Utf8ToWide(UnquoteExecArgument(command.substr(0, cut))));
}

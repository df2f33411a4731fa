// taviocr-lang: builds language files from their sources and edits them.
//
//   taviocr-lang compile SOURCE OUTPUT
//   taviocr-lang set FILE SECTION KEY VALUE
//   taviocr-lang get FILE SECTION KEY
//   taviocr-lang list FILE [SECTION]

#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "lang/lang_source.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace {

constexpr int kOk = 0, kFailed = 1, kUsage = 2;

int Usage() {
    std::fputs(
        "usage: taviocr-lang compile SOURCE OUTPUT\n"
        "       taviocr-lang set FILE SECTION KEY VALUE\n"
        "       taviocr-lang get FILE SECTION KEY\n"
        "       taviocr-lang list FILE [SECTION]\n",
        stderr);
    return kUsage;
}

int Fail(const std::string& what) {
    std::fprintf(stderr, "taviocr-lang: %s\n", what.c_str());
    return kFailed;
}

std::optional<std::vector<LangSection>> Load(const std::string& file) {
    const auto streams = ReadCompoundStreams(Utf8ToWide(file), kMaxLangStreamBytes);
    if (!streams) return std::nullopt;
    return DecodeLangStreams(*streams);
}

int Compile(const std::string& source, const std::string& output) {
    const auto text = ReadWholeFile(Utf8ToWide(source), kMaxLangStreamBytes * 4);
    if (!text) return Fail("cannot read " + source);
    const LangSourceResult parsed = ParseLangSource(*text);
    if (!parsed.error.empty()) return Fail(source + ": " + parsed.error);
    const auto streams = EncodeLangSections(parsed.sections);
    for (const auto& [name, bytes] : streams)
        if (bytes.size() >= kMaxLangStreamBytes) return Fail("section " + name + " is too large");
    if (!WriteCompoundFile(Utf8ToWide(output), streams)) return Fail("cannot write " + output);
    return kOk;
}

int Set(const std::string& file, const std::string& section, const std::string& key,
        const std::string& value) {
    auto sections = Load(file);
    if (!sections) return Fail(file + " is not a readable language file");
    SetLangValue(*sections, section, Utf8ToWide(key), Utf8ToWide(value));
    const auto streams = EncodeLangSections(*sections);
    for (const auto& [name, bytes] : streams)
        if (bytes.size() >= kMaxLangStreamBytes)
            return Fail("section " + name + " would be too large");
    if (!WriteCompoundFile(Utf8ToWide(file), streams)) return Fail("cannot write " + file);
    return kOk;
}

int Get(const std::string& file, const std::string& section, const std::string& key) {
    const auto sections = Load(file);
    if (!sections) return Fail(file + " is not a readable language file");
    for (const auto& s : *sections) {
        if (s.name != section) continue;
        for (const auto& [k, v] : s.entries)
            if (k == Utf8ToWide(key)) {
                std::printf("%s\n", WideToUtf8(v).c_str());
                return kOk;
            }
    }
    return Fail("no key " + key + " in section " + section);
}

int List(const std::string& file, const std::string& only) {
    const auto sections = Load(file);
    if (!sections) return Fail(file + " is not a readable language file");
    for (const auto& s : *sections) {
        if (!only.empty() && s.name != only) continue;
        std::printf("[%s]\n", s.name.c_str());
        for (const auto& [k, v] : s.entries)
            std::printf("%s=%s\n", WideToUtf8(k).c_str(), WideToUtf8(v).c_str());
    }
    return kOk;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return Usage();
    const std::string& command = args[0];
    if (command == "compile" && args.size() == 3) return Compile(args[1], args[2]);
    if (command == "set" && args.size() == 5) return Set(args[1], args[2], args[3], args[4]);
    if (command == "get" && args.size() == 4) return Get(args[1], args[2], args[3]);
    if (command == "list" && (args.size() == 2 || args.size() == 3))
        return List(args[1], args.size() == 3 ? args[2] : std::string());
    return Usage();
}

#include "support/rendered_text.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>

namespace {

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::wstring Normalise(const std::wstring& text, bool ignoreSpaces) {
    std::wstring out;
    bool space = false;
    for (wchar_t c : text) {
        if (std::iswspace(static_cast<wint_t>(c))) {
            space = true;
            continue;
        }
        if (space && !out.empty() && !ignoreSpaces) out += L' ';
        space = false;
        out += c;
    }
    return out;
}

}  // namespace

bool RenderLines(const std::string& path, const std::vector<TextLine>& lines,
                 const std::string& foreground, const std::string& background, int width,
                 int height) {
    int y = 0;
    std::string draw;
    int needWidth = 0;
    for (const TextLine& line : lines) {
        y += line.pixels * 2;
        draw += " -font " + line.font + " -pointsize " + std::to_string(line.pixels) +
                " -annotate +24+" + std::to_string(y) + " " + Quote(line.text);
        needWidth =
            std::max<int>(needWidth, 48 + static_cast<int>(line.text.size()) * line.pixels * 2 / 3);
    }
    const int w = width > 0 ? width : needWidth;
    const int h = height > 0 ? height : y + 24;
    const std::string command = "convert -size " + std::to_string(w) + "x" + std::to_string(h) +
                                " xc:" + Quote(background) + " -fill " + Quote(foreground) + draw +
                                " -depth 8 " + Quote(path) + " 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

bool RenderParagraph(const std::string& path, const std::string& text, int pixels, int width,
                     const std::string& font) {
    const std::string command =
        "convert -size " + std::to_string(width) + "x -background white -fill black -font " + font +
        " -pointsize " + std::to_string(pixels) + " caption:" + Quote(text) +
        " -bordercolor white -border 20 -depth 8 " + Quote(path) + " 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

std::vector<TextLine> ScreenshotLines(int rows) {
    static const char* const kSentences[] = {
        "Recognised text appears here as soon as the picture has been read.",
        "Drop pictures on this window or choose them with the Open button.",
        "Results are saved as text files next to the original pictures.",
        "The proofreading view shows the picture beside its recognised text.",
        "Tables are written as spreadsheets that open in any office program.",
        "Press the hot key to cut a region out of the screen and read it.",
    };
    std::vector<TextLine> lines{{"File  Edit  View  Tools  Help", 13}, {"Recognition results", 20}};
    for (int i = 0; i < rows; ++i) lines.push_back({kSentences[i % 6], 14});
    lines.push_back({"Copy text    Save as    Close", 13});
    return lines;
}

double CharacterAccuracy(const std::wstring& expected, const std::wstring& actual,
                         bool ignoreSpaces) {
    const std::wstring a = Normalise(expected, ignoreSpaces);
    const std::wstring b = Normalise(actual, ignoreSpaces);
    if (a.empty()) return b.empty() ? 1.0 : 0.0;
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t up = row[j];
            row[j] =
                std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = up;
        }
    }
    return 1.0 - static_cast<double>(row[b.size()]) / static_cast<double>(a.size());
}

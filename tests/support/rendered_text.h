#pragma once

#include <string>
#include <vector>

// Pictures of known text, drawn at test time with ImageMagick, and how close
// a recognised text comes to them.

struct TextLine {
    std::string text;
    int pixels = 14;                   // font size in pixels
    std::string font = "DejaVu-Sans";  // an ImageMagick font name
};

// Draws the lines one under another, left-aligned, on a canvas of the given
// size (0 × 0: just large enough). False when ImageMagick is missing or fails.
bool RenderLines(const std::string& path, const std::vector<TextLine>& lines,
                 const std::string& foreground = "#202020",
                 const std::string& background = "#f3f3f3", int width = 0, int height = 0);

// A paragraph wrapped at width pixels.
bool RenderParagraph(const std::string& path, const std::string& text, int pixels, int width,
                     const std::string& font = "DejaVu-Sans");

// The lines of a screenshot-like picture (a window's menu row, title,
// paragraph text and buttons).
std::vector<TextLine> ScreenshotLines(int rows);

// 1 - edit distance / expected length, over the texts with whitespace runs
// collapsed (dropped entirely when ignoreSpaces, as for Chinese).
double CharacterAccuracy(const std::wstring& expected, const std::wstring& actual,
                         bool ignoreSpaces = false);

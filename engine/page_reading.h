#pragma once

#include <string>
#include <vector>

// What the engine read on a picture, beside its text: each line and word
// with the engine's confidence (0–100) and its box in the picture's pixels.
struct ReadBox {
    std::string text;  // UTF-8
    int confidence = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct PageReading {
    std::string text;  // UTF-8, as the engine laid it out
    std::vector<ReadBox> lines;
    std::vector<std::vector<ReadBox>> words;  // per line
    std::string models;                       // the models that read it, "eng", "chi_sim"
};

// The report handed over beside the text, one record per line, fields
// separated by tabs: "line", then "word" records of that line, each with
// confidence, left, top, width, height and text.
std::string FormatReport(const PageReading& reading);

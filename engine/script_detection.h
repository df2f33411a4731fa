#pragma once

struct Pix;

// How much of a picture's text looks like Han script, judged from the shape
// of its characters alone: a Han character fills a square as tall as its
// line, where Latin letters are narrower or shorter. Costs milliseconds, so
// a picture of Latin text never pays for loading the Chinese model.
struct ScriptSample {
    int cells = 0;        // character cells measured
    int squareCells = 0;  // of them, as tall as their line and about as wide
    // The share of square cells, 0 when too few cells were measured to tell.
    double HanShare() const;
};

// Takes an 8-bit grey picture with dark text on a light background.
ScriptSample SampleScript(Pix* grey);

// Whether the sample shows Han script: true when it clearly does, false when
// it clearly does not, and `unsure` in between.
enum class HanVerdict { Absent, Present, Unsure };
HanVerdict JudgeHanScript(const ScriptSample& sample);

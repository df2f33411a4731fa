#include "engine/script_detection.h"

#include <leptonica/allheaders.h>

#include <algorithm>
#include <vector>

namespace {

struct Span {
    int begin, end;  // [begin, end)
};

// Runs of rows that hold ink: the text lines of a single column, or the
// lines of several columns side by side (for judging script that is fine).
std::vector<Span> InkBands(Pix* binary) {
    std::vector<Span> bands;
    NUMA* rows = pixCountPixelsByRow(binary, nullptr);
    if (!rows) return bands;
    const int height = numaGetCount(rows);
    int start = -1;
    for (int y = 0; y <= height; ++y) {
        float count = 0;
        if (y < height) numaGetFValue(rows, y, &count);
        if (count > 0 && start < 0) start = y;
        if (count <= 0 && start >= 0) {
            bands.push_back({start, y});
            start = -1;
        }
    }
    numaDestroy(&rows);
    return bands;
}

// Character cells of one line: components merged while their columns
// overlap, so the stacked parts of a Han character (or the dot of an i)
// count as one.
void MeasureCells(Pix* binary, Span band, ScriptSample& sample) {
    const int lineHeight = band.end - band.begin;
    BOX* area = boxCreate(0, band.begin, pixGetWidth(binary), lineHeight);
    Pix* line = pixClipRectangle(binary, area, nullptr);
    boxDestroy(&area);
    if (!line) return;
    BOXA* boxes = pixConnComp(line, nullptr, 8);
    pixDestroy(&line);
    if (!boxes) return;
    struct Cell {
        int left, right, top, bottom;
    };
    std::vector<Cell> parts;
    for (int i = 0; i < boxaGetCount(boxes); ++i) {
        int x, y, w, h;
        if (boxaGetBoxGeometry(boxes, i, &x, &y, &w, &h) == 0)
            parts.push_back({x, x + w, y, y + h});
    }
    boxaDestroy(&boxes);
    std::sort(parts.begin(), parts.end(),
              [](const Cell& a, const Cell& b) { return a.left < b.left; });
    std::vector<Cell> cells;
    for (const Cell& part : parts) {
        if (!cells.empty() && part.left < cells.back().right) {
            Cell& cell = cells.back();
            cell.right = std::max(cell.right, part.right);
            cell.top = std::min(cell.top, part.top);
            cell.bottom = std::max(cell.bottom, part.bottom);
        } else {
            cells.push_back(part);
        }
    }
    for (const Cell& cell : cells) {
        const int w = cell.right - cell.left, h = cell.bottom - cell.top;
        if (h * 4 < lineHeight) continue;  // punctuation and specks say nothing
        ++sample.cells;
        if (h * 4 >= lineHeight * 3 && w * 4 >= h * 3 && w * 3 <= h * 4) ++sample.squareCells;
    }
}

}  // namespace

double ScriptSample::HanShare() const {
    return cells >= 8 ? static_cast<double>(squareCells) / cells : 0.0;
}

ScriptSample SampleScript(Pix* grey) {
    ScriptSample sample;
    Pix* binary = pixThresholdToBinary(grey, 128);
    if (!binary) return sample;
    const std::vector<Span> bands = InkBands(binary);
    std::vector<int> heights;
    for (const Span& band : bands) heights.push_back(band.end - band.begin);
    if (!heights.empty()) {
        // Lines of ordinary height only: rules, pictures and merged columns of
        // different line pitch would blur the shapes.
        std::vector<int> sorted = heights;
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        const int typical = sorted[sorted.size() / 2];
        for (const Span& band : bands) {
            const int h = band.end - band.begin;
            if (h >= 6 && h * 2 >= typical && h <= typical * 2) MeasureCells(binary, band, sample);
        }
    }
    pixDestroy(&binary);
    return sample;
}

HanVerdict JudgeHanScript(const ScriptSample& sample) {
    if (sample.cells < 8) return HanVerdict::Unsure;
    const double share = sample.HanShare();
    if (share >= 0.3) return HanVerdict::Present;
    if (share <= 0.12) return HanVerdict::Absent;
    return HanVerdict::Unsure;
}

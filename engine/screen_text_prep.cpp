#include "engine/screen_text_prep.h"

#include <leptonica/allheaders.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The median component of a text picture is about a lower-case letter, whose
// height is some 0.7 of a capital's. Tesseract reads capitals of 20–40 px
// best. Screen text of 12 px and more (median 7 and up) already reads as well
// unscaled; smaller text loses letters and is enlarged until the median
// reaches kSmallGlyphTarget, twice the size for 10–11 px fonts: the layout
// analysis costs by the pixel, so no more than the reading needs.
constexpr float kSmallGlyphTarget = 12.0f;
constexpr int kMinGlyphHeight = 7;
constexpr float kTargetGlyphHeight = 14.0f;
constexpr float kMaxScale = 3.0f;
// Print scanned at 300 dpi and more has letters far larger than Tesseract
// needs: brought down towards the target it reads the same text, and its
// layout analysis, which costs by the pixel, runs in a fraction of the time.
constexpr int kMaxGlyphHeight = 20;
constexpr float kMinScale = 0.5f;
// Scaling stops at this size: a full screen of text must still be read well
// within the bridge's five seconds.
constexpr double kMaxScaledPixels = 8.0e6;
constexpr int kBorder = 16;

double MeanLevel(Pix* grey) {
    NUMA* histogram = pixGetGrayHistogram(grey, std::max(1, pixGetWidth(grey) / 512));
    if (!histogram) return 255.0;
    double weighted = 0, count = 0;
    for (int level = 0; level < 256; ++level) {
        float n = 0;
        numaGetFValue(histogram, level, &n);
        weighted += level * static_cast<double>(n);
        count += n;
    }
    numaDestroy(&histogram);
    return count > 0 ? weighted / count : 255.0;
}

// The grey of the picture's edge (the median of its outermost pixels): the
// margin added around it continues the background, where a white frame
// around grey paper would itself look like an edge to the layout analysis.
int EdgeLevel(Pix* grey) {
    const int w = pixGetWidth(grey), h = pixGetHeight(grey);
    std::vector<int> levels;
    levels.reserve(2 * static_cast<size_t>(w + h));
    const auto add = [&](int x, int y) {
        l_uint32 value = 255;
        pixGetPixel(grey, x, y, &value);
        levels.push_back(static_cast<int>(value));
    };
    for (int x = 0; x < w; ++x) add(x, 0), add(x, h - 1);
    for (int y = 0; y < h; ++y) add(0, y), add(w - 1, y);
    if (levels.empty()) return 255;
    std::nth_element(levels.begin(), levels.begin() + levels.size() / 2, levels.end());
    return levels[levels.size() / 2];
}

}  // namespace

int MedianGlyphHeight(Pix* grey) { return MeasureGlyphs(grey).medianHeight; }

GlyphMeasure MeasureGlyphs(Pix* grey) {
    GlyphMeasure measure;
    Pix* binary = pixThresholdToBinary(grey, 128);
    if (!binary) return measure;
    BOXA* boxes = pixConnComp(binary, nullptr, 8);
    pixDestroy(&binary);
    if (!boxes) return measure;
    const int imageWidth = pixGetWidth(grey), imageHeight = pixGetHeight(grey);
    int left = imageWidth, top = imageHeight, right = 0, bottom = 0;
    std::vector<int> heights;
    for (int i = 0; i < boxaGetCount(boxes); ++i) {
        int x, y, w, h;
        if (boxaGetBoxGeometry(boxes, i, &x, &y, &w, &h) != 0) continue;
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x + w);
        bottom = std::max(bottom, y + h);
        // Specks, rules and frames are not glyphs.
        if (h < 4 || h > imageHeight / 3 || w > 8 * h) continue;
        heights.push_back(h);
    }
    boxaDestroy(&boxes);
    if (right > left)
        measure.inkMargin = std::min({left, top, imageWidth - right, imageHeight - bottom});
    if (heights.size() < 3) return measure;
    std::nth_element(heights.begin(), heights.begin() + heights.size() / 2, heights.end());
    measure.medianHeight = heights[heights.size() / 2];
    return measure;
}

PreparedPage PrepareScreenText(Pix* source) {
    PreparedPage page;
    Pix* grey = pixConvertTo8(source, 0);
    if (!grey) return page;
    if (MeanLevel(grey) < 128.0) pixInvert(grey, grey);  // light text on a dark background

    const GlyphMeasure glyphs = MeasureGlyphs(grey);
    const int glyph = glyphs.medianHeight;
    page.glyphHeight = glyph;
    const double pixels = static_cast<double>(pixGetWidth(grey)) * pixGetHeight(grey);
    if (glyph > 0 && glyph < kMinGlyphHeight) {
        page.scale = std::min(kMaxScale, kSmallGlyphTarget / static_cast<float>(glyph));
        page.scale = std::min(page.scale, static_cast<float>(std::sqrt(kMaxScaledPixels / pixels)));
        page.scale = std::max(1.0f, page.scale);
    }
    if (glyph > kMaxGlyphHeight)
        page.scale = std::max(kMinScale, kTargetGlyphHeight / static_cast<float>(glyph));
    if (page.scale != 1.0f) {
        Pix* scaled = pixScaleGeneral(grey, page.scale, page.scale, 0.0f, 0);
        if (scaled) {
            pixDestroy(&grey);
            grey = scaled;
        } else {
            page.scale = 1.0f;
        }
    }
    // Text that touches the edge (a tight screen cut) gets a margin to stand
    // on; a page that has one is left as it is.
    if (glyphs.inkMargin * page.scale < kBorder) {
        page.border = kBorder;
        page.pix = pixAddBorder(grey, kBorder, static_cast<l_uint32>(EdgeLevel(grey)));
        pixDestroy(&grey);
    } else {
        page.pix = grey;
    }
    // Ten-point text at 300 dpi has lower-case letters of about 21 px.
    const float scaledGlyph = glyph > 0 ? glyph * page.scale : kTargetGlyphHeight;
    page.resolution = std::clamp(static_cast<int>(scaledGlyph * 14.3f), 70, 1200);
    return page;
}

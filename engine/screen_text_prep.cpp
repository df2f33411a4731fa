#include "engine/screen_text_prep.h"

#include <leptonica/allheaders.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The median component of a text picture is about a lower-case letter, whose
// height is some 0.7 of a capital's. Tesseract reads capitals of 20–40 px
// best, so pictures whose letters are smaller than this are scaled until the
// median reaches kTargetGlyphHeight (capitals of about 20 px). Ordinary
// screen text (14 px fonts, median 8) already reads well unscaled, and
// scaling a full screen of it would only cost time.
constexpr float kTargetGlyphHeight = 14.0f;
constexpr int kMinGlyphHeight = 8;
constexpr float kMaxScale = 3.0f;
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

}  // namespace

int MedianGlyphHeight(Pix* grey) {
    Pix* binary = pixThresholdToBinary(grey, 128);
    if (!binary) return 0;
    BOXA* boxes = pixConnComp(binary, nullptr, 8);
    pixDestroy(&binary);
    if (!boxes) return 0;
    const int imageHeight = pixGetHeight(grey);
    std::vector<int> heights;
    for (int i = 0; i < boxaGetCount(boxes); ++i) {
        int x, y, w, h;
        if (boxaGetBoxGeometry(boxes, i, &x, &y, &w, &h) != 0) continue;
        // Specks, rules and frames are not glyphs.
        if (h < 4 || h > imageHeight / 3 || w > 8 * h) continue;
        heights.push_back(h);
    }
    boxaDestroy(&boxes);
    if (heights.size() < 3) return 0;
    std::nth_element(heights.begin(), heights.begin() + heights.size() / 2, heights.end());
    return heights[heights.size() / 2];
}

PreparedPage PrepareScreenText(Pix* source) {
    PreparedPage page;
    Pix* grey = pixConvertTo8(source, 0);
    if (!grey) return page;
    if (MeanLevel(grey) < 128.0) pixInvert(grey, grey);  // light text on a dark background

    const int glyph = MedianGlyphHeight(grey);
    page.glyphHeight = glyph;
    const double pixels = static_cast<double>(pixGetWidth(grey)) * pixGetHeight(grey);
    if (glyph > 0 && glyph < kMinGlyphHeight) {
        page.scale = std::min(kMaxScale, kTargetGlyphHeight / static_cast<float>(glyph));
        page.scale = std::min(page.scale, static_cast<float>(std::sqrt(kMaxScaledPixels / pixels)));
        page.scale = std::max(1.0f, page.scale);
    }
    if (page.scale > 1.0f) {
        Pix* scaled = pixScaleGrayLI(grey, page.scale, page.scale);
        if (scaled) {
            pixDestroy(&grey);
            grey = scaled;
        } else {
            page.scale = 1.0f;
        }
    }
    page.pix = pixAddBorder(grey, kBorder, 255);
    pixDestroy(&grey);
    // Ten-point text at 300 dpi has lower-case letters of about 21 px.
    const float scaledGlyph = glyph > 0 ? glyph * page.scale : kTargetGlyphHeight;
    page.resolution = std::clamp(static_cast<int>(scaledGlyph * 14.3f), 70, 1200);
    return page;
}

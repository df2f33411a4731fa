#pragma once

struct Pix;

// Preparation that measurably helps Tesseract on screen text: 8-bit grey,
// dark backgrounds inverted, small glyphs scaled up, a margin of the edge colour, and the
// resolution the scaled picture corresponds to.
struct PreparedPage {
    Pix* pix = nullptr;  // owned by the caller (pixDestroy)
    float scale = 1.0f;
    int border = 0;       // pixels added on every side, after scaling
    int resolution = 0;   // dots per inch to declare to Tesseract
    int glyphHeight = 0;  // before scaling
};

// The typical glyph height in pixels (median of the connected components'
// heights in a binarised copy; 0 when there are no glyph-like components)
// and the narrowest margin between the ink and the picture's edge.
struct GlyphMeasure {
    int medianHeight = 0;
    int inkMargin = 0;
};
GlyphMeasure MeasureGlyphs(Pix* grey);
int MedianGlyphHeight(Pix* grey);

// Takes a picture of any depth; pix is null when it cannot be converted.
PreparedPage PrepareScreenText(Pix* source);

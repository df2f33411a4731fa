#pragma once

struct Pix;

// Preparation that measurably helps Tesseract on screen text: 8-bit grey,
// dark backgrounds inverted, small glyphs scaled up, a white border, and the
// resolution the scaled picture corresponds to.
struct PreparedPage {
    Pix* pix = nullptr;  // owned by the caller (pixDestroy)
    float scale = 1.0f;
    int resolution = 0;   // dots per inch to declare to Tesseract
    int glyphHeight = 0;  // before scaling
};

// The typical glyph height in pixels (median of the connected components'
// heights in a binarised copy); 0 when there are no glyph-like components.
int MedianGlyphHeight(Pix* grey);

// Takes a picture of any depth; pix is null when it cannot be converted.
PreparedPage PrepareScreenText(Pix* source);

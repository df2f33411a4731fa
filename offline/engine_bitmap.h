#pragma once

#include <QImage>
#include <string>

// The picture the offline engine reads: an 8-bit grey bitmap with a 256-entry
// grey palette (or the 24-bit colour picture when no grey one could be made).

// Grey level of a pixel: 0.587 G + 0.114 B + 0.299 R, truncated.
int GreyLevel(int red, int green, int blue);

// A 24-bit image turned into 8-bit grey; a null image when it cannot be made.
QImage ToGreyBitmap(const QImage& rgb);

// Writes the bitmap at path from the image file as a new private file (never
// through a link) and returns its path; empty when the image cannot be read
// or the bitmap cannot be written. The bitmap declares the resolution the
// image file declared, and none (zero) when the file had none: the engine
// then judges it from the text.
std::wstring PrepareEngineBitmap(const std::wstring& imagePath, const std::wstring& path);

#pragma once

#include <QImage>
#include <string>

// Saves a picture into a work folder as a new private file: whatever file or
// link had that name is replaced, never written through. quality -1 is the
// format's default. False (and no file) when encoding or writing fails.
bool SaveImageFresh(const QImage& image, const std::wstring& path, const char* format,
                    int quality = -1);

#pragma once

#include <string>
#include <vector>

#include "recognition/ocr_result.h"

// A searchable PDF: each picture as a page of its own size, with its
// recognised text laid invisibly over it, so that a viewer finds, selects and
// copies the words where they are in the picture.
//
// The text goes where the recognition put it: each word of the offline
// engine on its own box, each line of a service answer that gave locations
// on its line; text without places is spread over the whole page.
struct SearchablePdfPage {
    std::wstring picture;
    OcrResult result;
};

// False (and no file) when a picture cannot be read or the file cannot be
// written.
bool WriteSearchablePdf(const std::wstring& path, const std::vector<SearchablePdfPage>& pages);

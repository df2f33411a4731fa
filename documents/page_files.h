#pragma once

#include <string>
#include <vector>

#include "recognition/recognition_interfaces.h"

// The pictures a batch reads for a document: one file per page in the pages
// work folder, named "<document name>_p<N>" (so a batch saves
// "<document name>_p<N>.txt"), made only when the batch reaches the page, so
// that a document of hundreds of pages costs one page of memory at a time.

inline constexpr int kDefaultPageDpi = 300;

struct ExpandedDocument {
    std::vector<std::wstring> pages;  // the page pictures, in page order
    std::wstring failureKey;          // why the document cannot be read
};

// The pages of the document at path, each to be drawn at dpi.
ExpandedDocument ExpandDocument(const std::wstring& path, int dpi = kDefaultPageDpi);

// Whether path is a page picture of a document (made or not yet).
bool IsDocumentPage(const std::wstring& path);
// "<document> – page N" in the interface language.
std::wstring DocumentPageName(const std::wstring& document, int number);
// How a page picture is named to the user: "<document name> – page N" (in
// the interface language); any other picture by its file name.
std::wstring PictureDisplayName(const std::wstring& path);

// Makes a page picture that is not made yet (the recognition job's picture
// maker): ready unless the page could not be drawn, with the page's text
// layer where it has one. Anything else is ready as it is.
MadePicture MakeDocumentPage(const std::wstring& path);

// Removes the page pictures among paths and forgets them.
void ForgetDocumentPages(const std::vector<std::wstring>& paths);

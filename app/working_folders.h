#pragma once

#include <string>
#include <string_view>

// The temporary working folders, all under the work root: "taviOCR/" in
// TempWorkFolder when that folder is this user's own with no rights for
// others, else a private folder beside it (the temporary folder is shared by
// every user, and these folders hold identity cards and screenshots).
std::wstring WorkRootFolder();  // ends in "/"
std::wstring CompressFolder();  // downscaled copies for upload; removed at program end
std::wstring IdCardFolder();    // stacked identity-card pairs
std::wstring CaptureFolder();   // screen captures
std::wstring ScannerFolder();   // scanned pages
// The pages of documents (PDF, multi-page TIFF) this process reads, made one
// at a time as the batch reaches them: "pages-<pid>/".
std::wstring DocumentPagesFolder();

// Work left behind by runs that ended without cleaning up (killed, crashed,
// a full disk): the command line's "cli-<pid>" copy folders and every
// process's "pages-<pid>" document pages, of processes that are gone, and with everything (the
// window program, one per user, at its start and end) also the downscaled copies and the stacked
// identity cards.
void CleanLeftoverWork(bool everything);

// Deletes the files in folder (only those whose extension equals `extension`
// without case, when one is given, with or without its dot), recursing into
// sub-folders; with removeFolders each emptied sub-folder and finally the folder
// itself are removed. A symbolic link is removed as a link, never followed, so
// cleaning a temporary folder cannot reach files outside it.
void CleanFolder(std::wstring_view folder, std::wstring_view extension, bool removeFolders);

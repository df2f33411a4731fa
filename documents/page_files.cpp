#include "documents/page_files.h"

#include <map>
#include <mutex>

#include "app/image_file.h"
#include "app/lang_format.h"
#include "app/language_file.h"
#include "app/working_folders.h"
#include "documents/document_file.h"
#include "platform/file_io.h"
#include "platform/private_folder.h"
#include "platform/text.h"

namespace {

struct PendingPage {
    std::wstring document;
    int index = 0;
    int dpi = kDefaultPageDpi;
    bool made = false;
    bool failed = false;
    std::wstring textLayer;
};

struct Registry {
    std::mutex mutex;
    std::map<std::wstring, PendingPage> pages;
    int documents = 0;
};

Registry& Pages() {
    static Registry registry;
    return registry;
}

bool HasText(const std::wstring& text) {
    return text.find_first_not_of(L" \t\r\n\f") != std::wstring::npos;
}

// A text layer as the program's texts are: lines ended by CR LF, without
// trailing spaces, page breaks or empty lines at the end.
std::wstring CleanTextLayer(const std::wstring& layer) {
    std::wstring text, line;
    for (wchar_t c : layer + L"\n") {
        if (c == L'\r') continue;
        if (c != L'\n' && c != L'\f') {
            line += c;
            continue;
        }
        line.erase(line.find_last_not_of(L" \t") + 1);
        text += line + L"\r\n";
        line.clear();
    }
    while (text.ends_with(L"\r\n\r\n")) text.resize(text.size() - 2);
    if (text == L"\r\n") text.clear();
    if (text.ends_with(L"\r\n")) text.resize(text.size() - 2);
    return text;
}

}  // namespace

ExpandedDocument ExpandDocument(const std::wstring& path, int dpi) {
    ExpandedDocument expanded;
    const DocumentOpening opening = OpenDocument(path);
    if (!opening.failureKey.empty()) {
        expanded.failureKey = opening.failureKey;
        return expanded;
    }
    Registry& registry = Pages();
    const std::lock_guard lock(registry.mutex);
    // A folder per document: two documents of one name keep their pages apart.
    const std::wstring folder =
        DocumentPagesFolder() + std::to_wstring(++registry.documents) + L"/";
    if (!CreateFolderTree(folder)) {
        expanded.failureKey = L"DocumentDamaged";
        return expanded;
    }
    const std::wstring name = FileNamePart(path);
    for (int index = 0; index < opening.pages; ++index) {
        std::wstring page = folder + name + L"_p" + std::to_wstring(index + 1);
        PendingPage pending;
        pending.document = path;
        pending.index = index;
        pending.dpi = dpi;
        registry.pages[page] = std::move(pending);
        expanded.pages.push_back(std::move(page));
    }
    return expanded;
}

bool IsDocumentPage(const std::wstring& path) {
    Registry& registry = Pages();
    const std::lock_guard lock(registry.mutex);
    return registry.pages.count(path) != 0;
}

std::wstring DocumentPageName(const std::wstring& document, int number) {
    return FormatLangText(LangText(L"DocumentPage"), document, number);
}

std::wstring PictureDisplayName(const std::wstring& path) {
    int index = 0;
    std::wstring document;
    {
        Registry& registry = Pages();
        const std::lock_guard lock(registry.mutex);
        const auto found = registry.pages.find(path);
        if (found == registry.pages.end()) return FileNamePart(path);
        index = found->second.index;
        document = found->second.document;
    }
    return DocumentPageName(FileNamePart(document), index + 1);
}

MadePicture MakeDocumentPage(const std::wstring& path) {
    Registry& registry = Pages();
    PendingPage page;
    {
        const std::lock_guard lock(registry.mutex);
        const auto found = registry.pages.find(path);
        if (found == registry.pages.end()) return {};
        page = found->second;
    }
    if (!page.made) {
        // Drawn outside the registry's lock: other lanes draw other pages.
        const auto drawn = RenderDocumentPage(page.document, page.index, page.dpi);
        page.made = true;
        page.failed = !drawn || !SaveImageFresh(drawn->picture, path, "png");
        if (drawn) page.textLayer = drawn->textLayer;
        const std::lock_guard lock(registry.mutex);
        if (const auto found = registry.pages.find(path); found != registry.pages.end())
            found->second = page;
    }
    MadePicture made;
    made.ready = !page.failed;
    if (HasText(page.textLayer)) made.textLayer = CleanTextLayer(page.textLayer);
    return made;
}

void ForgetDocumentPages(const std::vector<std::wstring>& paths) {
    Registry& registry = Pages();
    const std::lock_guard lock(registry.mutex);
    for (const std::wstring& path : paths)
        if (registry.pages.erase(path)) std::remove(NarrowPath(path).c_str());
}

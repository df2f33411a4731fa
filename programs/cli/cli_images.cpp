#include "programs/cli/cli_images.h"

#include <filesystem>
#include <system_error>

#include "app/working_folders.h"
#include "documents/document_file.h"
#include "documents/page_files.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "recognition/collected_messages.h"

std::wstring NormalCliPath(const std::string& argument) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path path(argument);
    if (path.is_relative()) path = fs::current_path(error) / path;
    return PathBytesToWide(path.lexically_normal().string());
}

CliImages::CliImages(const std::vector<std::string>& arguments, int dpi) {
    for (const std::string& argument : arguments) {
        const std::wstring path = NormalCliPath(argument);
        if (FileExists(path) && KindOfFile(path) != DocumentKind::Picture) {
            const ExpandedDocument document = ExpandDocument(path, dpi);
            if (!document.failureKey.empty())
                refused_.push_back(MessageText(document.failureKey, path));
            for (std::size_t i = 0; i < document.pages.size(); ++i)
                images_.push_back({DocumentPageName(path, static_cast<int>(i) + 1),
                                   document.pages[i], document.pages[i]});
            continue;
        }
        // Formats the service does not read are converted in memory when sent,
        // so results keep the picture's own name.
        images_.push_back({path, path, path});
    }
}

CliImages::~CliImages() {
    std::vector<std::wstring> pages;
    for (const CliImage& image : images_)
        if (image.sent != image.shown) pages.push_back(image.sent);
    ForgetDocumentPages(pages);
    if (!pages.empty()) CleanFolder(DocumentPagesFolder(), L"", true);
}

std::vector<std::wstring> CliImages::SentPaths() const {
    std::vector<std::wstring> paths;
    for (const CliImage& image : images_) paths.push_back(image.sent);
    return paths;
}

std::wstring CliImages::ShownPath(const std::wstring& sent) const {
    for (const CliImage& image : images_)
        if (image.sent == sent) return image.shown;
    return sent;
}

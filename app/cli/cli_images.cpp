#include "app/cli/cli_images.h"

#include <unistd.h>

#include <QImage>
#include <filesystem>
#include <system_error>

#include "app/image_file.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace {

// The formats the cloud service takes as they are.
bool CloudTakesFormat(const QByteArray& format) {
    return format == "png" || format == "jpeg" || format == "jpg" || format == "bmp";
}

// A PNG copy of a picture the cloud would refuse (TIFF, WebP, GIF, ...), or
// empty text when it is taken as it is or cannot be read (it then goes as it
// is, and the service says what it thinks of it).
std::wstring PngCopy(const std::wstring& path, const std::wstring& copyPath) {
    PictureReader reader(path);
    const QByteArray format = reader.Reader().format();
    if (format.isEmpty() || CloudTakesFormat(format)) return {};
    const QImage image = reader.Read();
    if (image.isNull()) return {};
    return SaveImageFresh(image, copyPath, "png") ? copyPath : std::wstring();
}

}  // namespace

std::wstring NormalCliPath(const std::string& argument) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path path(argument);
    if (path.is_relative()) path = fs::current_path(error) / path;
    return PathBytesToWide(path.lexically_normal().string());
}

CliImages::CliImages(const std::vector<std::string>& arguments, const std::wstring& workRoot) {
    int index = 0;
    for (const std::string& argument : arguments) {
        CliImage image;
        image.shown = NormalCliPath(argument);
        image.sent = image.shown;
        if (copyFolder_.empty()) {
            copyFolder_ = workRoot + L"cli-" + std::to_wstring(::getpid());
            CreateFolderTree(copyFolder_);
        }
        const std::wstring copy =
            PngCopy(image.shown, copyFolder_ + L"/" + std::to_wstring(index++) + L".png");
        if (!copy.empty()) image.sent = copy;
        images_.push_back(std::move(image));
    }
}

CliImages::~CliImages() {
    if (copyFolder_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(NarrowPath(copyFolder_), ignored);
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

#include "programs/cli/cli_images.h"

#include <filesystem>
#include <system_error>

#include "platform/file_io.h"
#include "platform/text.h"

std::wstring NormalCliPath(const std::string& argument) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path path(argument);
    if (path.is_relative()) path = fs::current_path(error) / path;
    return PathBytesToWide(path.lexically_normal().string());
}

CliImages::CliImages(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        CliImage image;
        image.shown = NormalCliPath(argument);
        // Formats the service does not read are converted in memory when sent,
        // so results keep the picture's own name.
        image.sent = image.shown;
        images_.push_back(std::move(image));
    }
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

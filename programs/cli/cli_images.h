#pragma once

#include <string>
#include <vector>

// The pictures of a command line: each as the user named it (made absolute
// and normal, "./" and "../" resolved) and as it goes to the recognition
// (the same file: pictures are brought within the service's reach in memory).
struct CliImage {
    std::wstring shown;
    std::wstring sent;
    std::wstring resultName;  // what a result file is named after
};

// A document's page is a picture of its own: shown as "<document> – page N",
// sent as the page picture, saved as "<document name>_p<N>.txt".
class CliImages {
public:
    // Documents' pages are drawn at dpi.
    explicit CliImages(const std::vector<std::string>& arguments, int dpi = 300);
    ~CliImages();
    CliImages(const CliImages&) = delete;
    CliImages& operator=(const CliImages&) = delete;

    const std::vector<CliImage>& Images() const { return images_; }
    // The documents that cannot be read, each with its message.
    const std::vector<std::wstring>& Refused() const { return refused_; }
    std::vector<std::wstring> SentPaths() const;
    // The path the user named for a path the recognition reported.
    std::wstring ShownPath(const std::wstring& sent) const;

private:
    std::vector<CliImage> images_;
    std::vector<std::wstring> refused_;
};

// The absolute, lexically normal form of a command-line path.
std::wstring NormalCliPath(const std::string& argument);

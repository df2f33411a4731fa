#pragma once

#include <string>
#include <vector>

// The pictures of a command line: each as the user named it (made absolute
// and normal, "./" and "../" resolved) and as it goes to the recognition
// (the same file: pictures are brought within the service's reach in memory).
struct CliImage {
    std::wstring shown;
    std::wstring sent;
};

class CliImages {
public:
    explicit CliImages(const std::vector<std::string>& arguments);
    CliImages(const CliImages&) = delete;
    CliImages& operator=(const CliImages&) = delete;

    const std::vector<CliImage>& Images() const { return images_; }
    std::vector<std::wstring> SentPaths() const;
    // The path the user named for a path the recognition reported.
    std::wstring ShownPath(const std::wstring& sent) const;

private:
    std::vector<CliImage> images_;
};

// The absolute, lexically normal form of a command-line path.
std::wstring NormalCliPath(const std::string& argument);

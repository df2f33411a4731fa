#include "support/test_scanner.h"

#include <cstdlib>
#include <fstream>

void UseTestScanner(const std::filesystem::path& folder, const std::string& readStatus,
                    const std::string& options) {
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "dll.conf", std::ios::trunc) << "test\n";
    std::filesystem::copy_file("/etc/sane.d/test.conf", folder / "test.conf",
                               std::filesystem::copy_options::overwrite_existing);
    // Without an explicit resolution the test device's pages can be 1 × 1.
    std::ofstream(folder / "test.conf", std::ios::app) << "resolution 30\n";
    if (!readStatus.empty())
        std::ofstream(folder / "test.conf", std::ios::app)
            << "read-status-code \"" << readStatus << "\"\n";
    std::ofstream(folder / "test.conf", std::ios::app) << options;
    ::setenv("SANE_CONFIG_DIR", folder.c_str(), 1);
}

void UseNoScanner(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "dll.conf", std::ios::trunc) << "\n";
    ::setenv("SANE_CONFIG_DIR", folder.c_str(), 1);
}

void ForgetTestScanner() { ::unsetenv("SANE_CONFIG_DIR"); }

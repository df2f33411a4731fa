#include "support/private_user.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>

std::filesystem::path MakePrivateUser(const std::string& tag) {
    namespace fs = std::filesystem;
    const fs::path root =
        fs::temp_directory_path() / ("taviocr-" + tag + "." + std::to_string(::getpid()));
    for (const char* dir : {"home", "data", "config", "runtime", "machine"})
        fs::create_directories(root / dir);
    fs::permissions(root / "runtime", fs::perms::owner_all);
    ::setenv("HOME", (root / "home").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
    ::setenv("TAVIOCR_MACHINE_DIR", (root / "machine").c_str(), 1);
    TurnOffVendorServices(root / "runtime");
    return root;
}

void TurnOffVendorServices(const std::filesystem::path& folder) {
    const std::filesystem::path file = folder / "no-vendor-endpoints.ini";
    std::ofstream(file) << "[Hosts]\nAccount=\nSocialPage=\nStats=\nUpdate=\n";
    ::setenv("TAVIOCR_ENDPOINTS", file.c_str(), 1);
}

#include "support/temp_environment.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/text.h"
#include "support/private_user.h"

namespace fs = std::filesystem;

void TempEnvironment::SetUp() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/taviocr-t.XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    for (const char* dir : {"home", "data", "config", "runtime", "tmp", "machine"})
        fs::create_directories(root_ + "/" + dir);
    fs::permissions(root_ + "/runtime", fs::perms::owner_all);
    ::setenv("HOME", (root_ + "/home").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root_ + "/data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root_ + "/runtime").c_str(), 1);
    ::setenv("TMPDIR", (root_ + "/tmp").c_str(), 1);
    ::setenv("TAVIOCR_MACHINE_DIR", (root_ + "/machine").c_str(), 1);
    ::unsetenv("XDG_DESKTOP_DIR");
    // Unless a test names its own endpoints, nothing it starts asks a vendor server.
    TurnOffVendorServices(root_ + "/runtime");
}

void TempEnvironment::TearDown() {
    std::error_code ec;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root_, ec);
    // Later fixtures set their own; leave nothing pointing at a removed folder.
    ::setenv("TMPDIR", "/tmp", 1);
    ::unsetenv("TAVIOCR_ENDPOINTS");
}

std::wstring TempEnvironment::Path(const std::string& relative) const {
    return Utf8ToWide(NarrowPath(relative));
}

std::string TempEnvironment::NarrowPath(const std::string& relative) const {
    return relative.empty() ? root_ : root_ + "/" + relative;
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(WideToUtf8(path), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    fs::create_directories(fs::path(WideToUtf8(path)).parent_path());
    std::ofstream out(WideToUtf8(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

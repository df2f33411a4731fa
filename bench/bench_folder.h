#pragma once

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

// A fresh folder for one benchmark's files; a benchmark without one cannot run.
inline std::string MakeBenchFolder(const char* name) {
    std::string pattern = std::filesystem::temp_directory_path() / (std::string(name) + ".XXXXXX");
    if (!::mkdtemp(pattern.data())) {
        std::perror(pattern.c_str());
        std::exit(1);
    }
    return pattern;
}

#pragma once

#include <filesystem>

// Points SANE at its test scanner alone ("test:0" and "test:1"), through a
// configuration made in folder, at a low resolution so pages are small.
// Programs started afterwards inherit it.
void UseTestScanner(const std::filesystem::path& folder);
// SANE finds no device at all.
void UseNoScanner(const std::filesystem::path& folder);
void ForgetTestScanner();

#pragma once

#include <filesystem>
#include <string>

// Points SANE at its test scanner alone ("test:0" and "test:1"), through a
// configuration made in folder, at a low resolution so pages are small.
// Programs started afterwards inherit it.
// readStatus: a SANE status every read of the device returns instead of its
// data ("SANE_STATUS_JAMMED", "SANE_STATUS_COVER_OPEN", ...), empty for none.
// options: further lines of the test device's configuration ("mode Lineart\n").
void UseTestScanner(const std::filesystem::path& folder, const std::string& readStatus = {},
                    const std::string& options = {});
// SANE finds no device at all.
void UseNoScanner(const std::filesystem::path& folder);
void ForgetTestScanner();

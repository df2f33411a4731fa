#pragma once

#include <chrono>
#include <string>

// Waits until a file appears at path (a bridge renames its finished bitmap
// into place while the engine loads its model), at most `limit`; true when it
// is there. Watches the folder rather than polling it.
bool WaitForFile(const std::string& path, std::chrono::milliseconds limit);

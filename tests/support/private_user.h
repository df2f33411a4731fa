#pragma once

#include <filesystem>
#include <string>

// Per-user folders of a throw-away user for programs that are not tests
// (benchmarks): HOME, the XDG folders, the runtime folder and the machine
// store, under a fresh folder of the temporary folder named after tag. The
// caller removes the returned root.
std::filesystem::path MakePrivateUser(const std::string& tag);

// Points TAVIOCR_ENDPOINTS at a file in folder that turns the vendor's optional
// services off, so programs started from tests and benchmarks ask no vendor server.
void TurnOffVendorServices(const std::filesystem::path& folder);

#pragma once

#include <gtest/gtest.h>

#include <string>

// A test fixture that points every folder the program uses (HOME, the XDG
// folders, TMPDIR, the machine store) into a fresh temporary folder, removed
// afterwards. No test touches the real home folder.
class TempEnvironment : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Path below the temporary root, as wide text.
    std::wstring Path(const std::string& relative) const;
    std::string NarrowPath(const std::string& relative) const;

    std::string root_;
};

// Small helpers over real files.
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);

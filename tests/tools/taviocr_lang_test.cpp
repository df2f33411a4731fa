// The credential tool as a user runs it, on a copy of the shipped language file.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "app/language_file.h"
#include "platform/text.h"
#include "support/temp_environment.h"

namespace {

struct ToolRun {
    int status;
    std::string output;
};

ToolRun Tool(const std::string& arguments) {
    const std::string command =
        std::string(TAVIOCR_OUT_DIR) + "/taviocr-lang " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    const int status = pipe ? ::pclose(pipe) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

}  // namespace

class LangToolTest : public TempEnvironment {
protected:
    void SetUp() override {
        TempEnvironment::SetUp();
        file_ = NarrowPath("en.dat");
        std::filesystem::copy_file(std::string(TAVIOCR_OUT_DIR) + "/language/en.dat", file_);
    }
    std::string file_;
};

TEST_F(LangToolTest, SetPutsACredentialIntoTheFileAndKeepsEverythingElse) {
    const ToolRun before = Tool("list '" + file_ + "'");
    ASSERT_EQ(before.status, 0);
    // A file made private for its keys stays private.
    ::chmod(file_.c_str(), 0600);
    ASSERT_EQ(Tool("set '" + file_ + "' Text AAK 'my-api-key'").status, 0);
    struct stat st {};
    ASSERT_EQ(::stat(file_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(Tool("get '" + file_ + "' Text AAK").output, "my-api-key\n");
    std::wstring value;
    EXPECT_TRUE(ReadLangEntry(L"Text", L"AAK", L"", value, 260, Utf8ToWide(file_)));
    EXPECT_EQ(value, L"my-api-key");
    // Every other line of the listing is unchanged.
    std::string expected = before.output;
    const std::string old = "\nAAK=\n";
    expected.replace(expected.find(old), old.size(), "\nAAK=my-api-key\n");
    EXPECT_EQ(Tool("list '" + file_ + "'").output, expected);
}

TEST_F(LangToolTest, CompileBuildsAFileTheProgramReads) {
    WriteBytes(Path("src.txt"), "[Text]\nGreeting=Hallo\n[Message]\nTitle=T\n");
    ASSERT_EQ(
        Tool("compile '" + NarrowPath("src.txt") + "' '" + NarrowPath("out.dat") + "'").status, 0);
    std::wstring value;
    EXPECT_TRUE(ReadLangEntry(L"Text", L"Greeting", L"", value, 260, Path("out.dat")));
    EXPECT_EQ(value, L"Hallo");
}

TEST_F(LangToolTest, BadInputIsRefusedWithoutDamage) {
    WriteBytes(Path("bad.txt"), "[Text]\nA=1\nA=2\n");
    const ToolRun bad =
        Tool("compile '" + NarrowPath("bad.txt") + "' '" + NarrowPath("x.dat") + "'");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.output.find("line 3: duplicate key A"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(NarrowPath("x.dat")));

    WriteBytes(Path("plain.dat"), "not a compound file");
    EXPECT_EQ(Tool("set '" + NarrowPath("plain.dat") + "' Text AAK v").status, 1);
    EXPECT_EQ(ReadBytes(Path("plain.dat")), "not a compound file");
    EXPECT_EQ(Tool("get '" + file_ + "' Text NoSuchKey").status, 1);
    EXPECT_EQ(Tool("frobnicate").status, 2);
}

#include "app/language_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>

#include "app/compound_file.h"
#include "app/lang_stream.h"
#include "app/process_globals.h"
#include "platform/text.h"
#include "support/temp_environment.h"

namespace {

const std::wstring kBuiltFolder = Utf8ToWide(TAVIOCR_OUT_DIR);

// Unscrambling as the file format describes it, written independently of the
// program's routine: every 32-bit little-endian word at 4·d with 4·d + 4 < n is
// XORed with 0x00005B5B.
std::string IndependentUnscramble(std::string bytes) {
    for (std::size_t d = 0; 4 * d + 4 < bytes.size(); ++d) {
        std::uint32_t word;
        std::memcpy(&word, bytes.data() + 4 * d, 4);
        word ^= 0x00005B5Bu;
        std::memcpy(bytes.data() + 4 * d, &word, 4);
    }
    return bytes;
}

}  // namespace

class LanguageFileTest : public TempEnvironment {
protected:
    void SetUp() override {
        TempEnvironment::SetUp();
        Globals() = ProcessGlobals{};
        Globals().ExeFolder = Path("app");
        std::filesystem::create_directories(NarrowPath("app/language"));
    }
    std::wstring Write(const std::string& name, const std::vector<CompoundStream>& streams) {
        const std::wstring path = Path("app/language/" + name);
        EXPECT_TRUE(WriteCompoundFile(path, streams));
        return path;
    }
    static CompoundStream Section(const std::string& name, const std::vector<LangEntry>& entries) {
        return {name, EncodeLangStream(entries)};
    }
};

TEST_F(LanguageFileTest, PathFollowsTheInterfaceLanguage) {
    Globals().UiLanguage = 950;
    EXPECT_EQ(LanguageFilePath(), Path("app/language/tr.dat"));
    for (int code : {0, 932, 936, 1361, 1252}) {
        Globals().UiLanguage = code;
        EXPECT_EQ(LanguageFilePath(), Path("app/language/en.dat")) << code;
    }
}

TEST_F(LanguageFileTest, LookupFindsKeysAndReportsMisses) {
    const std::wstring file = Write("en.dat", {Section("Text", {{L"A", L"alpha"}, {L"E", L""}}),
                                               Section("Message", {{L"Title", L"T"}})});
    std::wstring out;
    EXPECT_TRUE(ReadLangEntry(L"Text", L"A", L"dflt", out, 260, file));
    EXPECT_EQ(out, L"alpha");
    EXPECT_TRUE(ReadLangEntry(L"Text", L"E", L"dflt", out, 260, file));
    EXPECT_EQ(out, L"");
    EXPECT_FALSE(ReadLangEntry(L"Text", L"Nope", L"dflt", out, 260, file));
    EXPECT_EQ(out, L"dflt");
    EXPECT_TRUE(ReadLangEntry(L"Text", L"A", L"", out, 3, file));
    EXPECT_EQ(out, L"al");
    // Section names are case-sensitive stream names.
    EXPECT_FALSE(ReadLangEntry(L"text", L"A", L"d", out, 260, file));
    EXPECT_FALSE(ReadLangEntry(L"Other", L"A", L"d", out, 260, file));
    EXPECT_EQ(out, L"d");
}

TEST_F(LanguageFileTest, BrokenFilesGiveTheDefault) {
    std::wstring out;
    EXPECT_FALSE(ReadLangEntry(L"Text", L"A", L"d", out, 260, Path("app/language/missing.dat")));
    EXPECT_EQ(out, L"d");

    WriteBytes(Path("app/language/plain.dat"), "A=1\nthis is not a compound file\n");
    EXPECT_FALSE(ReadLangEntry(L"Text", L"A", L"d", out, 260, Path("app/language/plain.dat")));

    const std::wstring good = Write("good.dat", {Section("Text", {{L"A", L"1"}})});
    const std::string bytes = ReadBytes(good);
    for (std::size_t cut : {std::size_t{0}, std::size_t{100}, bytes.size() / 2, bytes.size() - 1}) {
        WriteBytes(Path("app/language/cut.dat"), bytes.substr(0, cut));
        out.clear();
        const bool found =
            ReadLangEntry(L"Text", L"A", L"d", out, 260, Path("app/language/cut.dat"));
        EXPECT_EQ(out, found ? L"1" : L"d") << cut;
    }

    const std::wstring empty = Write("empty.dat", {{"Text", ""}});
    EXPECT_FALSE(ReadLangEntry(L"Text", L"A", L"d", out, 260, empty));

    const std::wstring huge = Write("huge.dat", {{"Text", std::string(kMaxLangStreamBytes, 'x')}});
    EXPECT_FALSE(ReadLangEntry(L"Text", L"A", L"d", out, 260, huge));
}

TEST_F(LanguageFileTest, LangTextReadsTheTextSectionOfTheCurrentLanguage) {
    Write("en.dat", {Section("Text", {{L"K", L"English"}, {L"AAK", L"key-é"}}),
                     Section("Message", {{L"K", L"Msg"}})});
    Write("tr.dat", {Section("Text", {{L"K", L"中文"}})});
    Globals().UiLanguage = 932;
    EXPECT_EQ(LangText(L"K"), L"English");
    EXPECT_EQ(LangMessage(L"K"), L"Msg");
    EXPECT_EQ(LangTextAnsi(L"AAK"), "key-\xC3\xA9");
    EXPECT_EQ(LangTextAnsi(L"missing"), "");
    // Nothing is cached: the next lookup after a switch reads the other file.
    Globals().UiLanguage = 950;
    EXPECT_EQ(LangText(L"K"), L"中文");
    EXPECT_EQ(LangMessage(L"K"), L"");
}

TEST_F(LanguageFileTest, LongValuesAreCutTo259Characters) {
    Write("en.dat", {Section("Text", {{L"Long", std::wstring(1000, L'x')}})});
    EXPECT_EQ(LangText(L"Long").size(), 259u);
}

// The files the build ships.
TEST(BuiltLanguageFiles, HoldEveryKeyWithRealTextsInBothLanguages) {
    const std::vector<std::wstring> textKeys = {L"AddPic1",
                                                L"AddPic2",
                                                L"AddPicM",
                                                L"AddScreenCut",
                                                L"Commodity",
                                                L"CpatchaValidTime",
                                                L"DefaultError",
                                                L"DownloadingUpdate",
                                                L"Except",
                                                L"LicenseTitleIdcardBack",
                                                L"LicenseTitleIdcardFront",
                                                L"LicenseTitlePic",
                                                L"LicenseTitleBankcard",
                                                L"LicenseTitleDriving",
                                                L"LicenseTitleVehicle",
                                                L"LicenseTitleReceipt",
                                                L"LicenseTitleBusiness",
                                                L"LicenseTitlePassport",
                                                L"LicenseTitleBankLicense",
                                                L"OCRNone",
                                                L"OCRScan",
                                                L"OCRScanXls",
                                                L"OutFolderName",
                                                L"ProductName",
                                                L"ScreencutXLSTip",
                                                L"SendCpatchaAgain",
                                                L"SizeBytes",
                                                L"XLSTip",
                                                L"XlsFile",
                                                L"InvoiceCode",
                                                L"InvoiceNum",
                                                L"InvoiceDate",
                                                L"SellerName",
                                                L"PurchaserName",
                                                L"TotalAmount",
                                                L"TotalTax",
                                                L"AmountInFiguers"};
    const std::vector<std::wstring> messageKeys = {L"Title",
                                                   L"AuthorizationFailed",
                                                   L"CancelLed",
                                                   L"CannotBack",
                                                   L"CopyClipboard",
                                                   L"EmailChange",
                                                   L"HasUpdate",
                                                   L"InitNodeDllFailed",
                                                   L"InvalidEmail",
                                                   L"JsonFormatErr",
                                                   L"LoginSuccess",
                                                   L"MergeBatchCannotDiff",
                                                   L"NeedReinstall",
                                                   L"NoIdcardFront",
                                                   L"NotFoundDSM",
                                                   L"NotUpdate",
                                                   L"NoVersion",
                                                   L"OCRNotResult",
                                                   L"PassDiff",
                                                   L"PassIsEmpty",
                                                   L"RegisterSuccess",
                                                   L"ResetPassSuccess",
                                                   L"SavePathNotExist",
                                                   L"ScannerIsInvalid",
                                                   L"SelectDSM",
                                                   L"UndoOCRText",
                                                   L"UpdateFail",
                                                   L"Updating",
                                                   L"UserIsEmpty",
                                                   L"VerifyCodeIsEmpty",
                                                   L"VerifySendByEmail",
                                                   L"CURL_TIMEOUT",
                                                   L"CURL_NONETWORK",
                                                   L"ImageSizeIsZero",
                                                   L"ExceptIdcardRS",
                                                   L"ExceptIdcardNoIdcard",
                                                   L"ExceptIdcardBlurred",
                                                   L"ExceptIdcardOE",
                                                   L"ExceptIdcardUnknow",
                                                   L"ErrNetworkLost",
                                                   L"OldNewPassSame",
                                                   L"SignErr",
                                                   L"UserNotExist",
                                                   L"OldPassIsError",
                                                   L"ResetPassErr",
                                                   L"VerifyCodeIsError",
                                                   L"RegisterFail",
                                                   L"AIPError17",
                                                   L"AIPError110",
                                                   L"AIPError216201",
                                                   L"AIPError282000"};
    for (const wchar_t* file : {L"/language/en.dat", L"/language/tr.dat"}) {
        const std::wstring path = kBuiltFolder + file;
        std::wstring out;
        for (const auto& key : textKeys) {
            EXPECT_TRUE(ReadLangEntry(L"Text", key, L"", out, 260, path)) << WideToUtf8(key);
            EXPECT_FALSE(out.empty()) << WideToUtf8(key);
        }
        for (const auto& key : messageKeys) {
            EXPECT_TRUE(ReadLangEntry(L"Message", key, L"", out, 260, path)) << WideToUtf8(key);
            EXPECT_FALSE(out.empty()) << WideToUtf8(key);
        }
        for (const wchar_t* credential : {L"AAI", L"AAK", L"ASK", L"ALIAK", L"ALISK", L"SK"}) {
            EXPECT_TRUE(ReadLangEntry(L"Text", credential, L"x", out, 260, path));
            EXPECT_EQ(out, L"");
        }
    }
    std::wstring english, chinese;
    ReadLangEntry(L"Text", L"OCRNone", L"", english, 260, kBuiltFolder + L"/language/en.dat");
    ReadLangEntry(L"Text", L"OCRNone", L"", chinese, 260, kBuiltFolder + L"/language/tr.dat");
    EXPECT_NE(english, chinese);
}

TEST(BuiltLanguageFiles, StreamsDecodeWithAnIndependentUnscrambler) {
    const auto stored =
        ReadCompoundStream(kBuiltFolder + L"/language/en.dat", "Message", kMaxLangStreamBytes);
    ASSERT_TRUE(stored);
    const std::wstring text = DecodeUtf16Le(IndependentUnscramble(*stored));
    ASSERT_TRUE(text.starts_with(std::wstring(L"Title=TaviOCR\0", 14)));
    EXPECT_NE(text.find(std::wstring(L"\0CURL_TIMEOUT=", 14)), std::wstring::npos);
    EXPECT_TRUE(text.ends_with(std::wstring(2, L'\0')));
}

TEST(BuiltLanguageFiles, GsfListsExactlyTheTwoSections) {
    const std::string command = "gsf list '" + std::string(TAVIOCR_OUT_DIR) + "/language/tr.dat'";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    ASSERT_EQ(::pclose(pipe), 0) << output;
    std::vector<std::string> streams;
    std::size_t pos = 0;
    while (pos < output.size()) {
        std::size_t end = output.find('\n', pos);
        if (end == std::string::npos) end = output.size();
        const std::string line = output.substr(pos, end - pos);
        pos = end + 1;
        if (line.starts_with("f ")) streams.push_back(line.substr(line.rfind(' ') + 1));
    }
    EXPECT_EQ(streams, (std::vector<std::string>{"Text", "Message"}));
}

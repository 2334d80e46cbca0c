// The file-type registration, run against a scratch key that stands in for HKEY_CLASSES_ROOT.
#include <windows.h>

#include <string>

#include "file_type.h"
#include "gtest/gtest.h"

namespace {

const wchar_t kScratch[] = L"Software\\RVXTOOL-tests\\classes";

struct Value {
    LONG status = ERROR_FILE_NOT_FOUND;
    DWORD type = 0;
    std::wstring text;
};

Value ReadDefault(HKEY root, const wchar_t* key) {
    Value v;
    wchar_t buffer[1024] = {};
    DWORD bytes = sizeof buffer;
    v.status = RegGetValueW(root, key, nullptr, RRF_RT_ANY | RRF_NOEXPAND, &v.type, buffer, &bytes);
    if (v.status == ERROR_SUCCESS) {
        v.text.assign(buffer);
    }
    return v;
}

void SetDefault(HKEY root, const wchar_t* key, const std::wstring& text) {
    ASSERT_EQ(RegSetKeyValueW(root, key, nullptr, REG_SZ, text.c_str(),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

// Gives every test an empty stand-in for HKEY_CLASSES_ROOT.
class FileTypeTest : public ::testing::Test {
protected:
    void TearDown() override {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        if (classes_ != nullptr) {
            RegCloseKey(classes_);
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
    }

    void SetUp() override {
        HKEY created = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &created, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(created);
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kScratch, 0, KEY_ALL_ACCESS, &classes_),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, classes_), ERROR_SUCCESS);
    }

    Value Read(const wchar_t* key) { return ReadDefault(classes_, key); }

    HKEY classes_ = nullptr;
};

TEST_F(FileTypeTest, WritesDescriptionIconVerbAndQuotedCommand) {
    EXPECT_EQ(WriteProgIdKeys(L"C:\\Tools\\RVXTOOL.exe"), 1);

    const struct {
        const wchar_t* key;
        const wchar_t* text;
    } expected[] = {
        {L"RVXfile", L"RVX Document"},
        {L"RVXfile\\DefaultIcon", L"C:\\Tools\\STATION.ico"},
        {L"RVXfile\\Shell", L"RVXTOOL"},
        {L"RVXfile\\Shell\\RVXTOOL\\Command", L"\"C:\\Tools\\RVXTOOL.exe\" \"%1\""},
    };
    for (const auto& e : expected) {
        const Value v = Read(e.key);
        EXPECT_EQ(v.status, ERROR_SUCCESS) << e.key;
        EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ)) << e.key;
        EXPECT_EQ(v.text, e.text) << e.key;
    }
}

TEST_F(FileTypeTest, PathsOutsideEveryCodePageAndWithBlanksSurviveWhole) {
    const std::wstring folder = L"D:\\测量 数据\\Ölçüm\\";
    EXPECT_EQ(WriteProgIdKeys(folder + L"RVXTOOL.exe"), 1);
    EXPECT_EQ(Read(L"RVXfile\\DefaultIcon").text, folder + L"STATION.ico");
    EXPECT_EQ(Read(L"RVXfile\\Shell\\RVXTOOL\\Command").text,
              L"\"" + folder + L"RVXTOOL.exe\" \"%1\"");
}

TEST_F(FileTypeTest, LaterRunRepointsIconAndCommand) {
    SetDefault(classes_, L"RVXfile\\DefaultIcon", L"C:\\Old\\STATION.ico");
    SetDefault(classes_, L"RVXfile\\Shell\\RVXTOOL\\Command", L"\"C:\\Old\\RVXTOOL.exe\" \"%1\"");
    EXPECT_EQ(WriteProgIdKeys(L"E:\\New\\RVXTOOL.exe"), 1);
    EXPECT_EQ(Read(L"RVXfile\\DefaultIcon").text, L"E:\\New\\STATION.ico");
    EXPECT_EQ(Read(L"RVXfile\\Shell\\RVXTOOL\\Command").text, L"\"E:\\New\\RVXTOOL.exe\" \"%1\"");
}

TEST_F(FileTypeTest, UnknownProgramPathLeavesIconAndCommandAsTheyWere) {
    SetDefault(classes_, L"RVXfile\\DefaultIcon", L"C:\\Old\\STATION.ico");
    SetDefault(classes_, L"RVXfile\\Shell\\RVXTOOL\\Command", L"\"C:\\Old\\RVXTOOL.exe\" \"%1\"");
    EXPECT_EQ(WriteProgIdKeys(L""), 1);
    EXPECT_EQ(Read(L"RVXfile").text, L"RVX Document");
    EXPECT_EQ(Read(L"RVXfile\\Shell").text, L"RVXTOOL");
    EXPECT_EQ(Read(L"RVXfile\\DefaultIcon").text, L"C:\\Old\\STATION.ico");
    EXPECT_EQ(Read(L"RVXfile\\Shell\\RVXTOOL\\Command").text, L"\"C:\\Old\\RVXTOOL.exe\" \"%1\"");
}

TEST_F(FileTypeTest, StopsAtTheFirstKeyItCanNeitherOpenNorCreate) {
    // A volatile key can have only volatile sub-keys: "RVXfile" and "RVXfile\\Shell" open, but
    // "RVXfile\\DefaultIcon" can be neither opened nor created.
    for (const wchar_t* name : {L"RVXfile", L"RVXfile\\Shell"}) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(classes_, name, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    EXPECT_EQ(WriteProgIdKeys(L"C:\\Tools\\RVXTOOL.exe"), 0);
    EXPECT_EQ(Read(L"RVXfile").text, L"RVX Document");
    HKEY icon = nullptr;
    EXPECT_NE(RegOpenKeyExW(classes_, L"RVXfile\\DefaultIcon", 0, KEY_READ, &icon), ERROR_SUCCESS);
    EXPECT_EQ(Read(L"RVXfile\\Shell").status, ERROR_FILE_NOT_FOUND) << "went on past the icon";
}

TEST_F(FileTypeTest, ExtensionValueKeepsItsTenByteLengthAndCommandNamesThisProgram) {
    RegisterRawFileType();

    HKEY extension = nullptr;
    ASSERT_EQ(RegOpenKeyExW(classes_, L".RVX", 0, KEY_READ, &extension), ERROR_SUCCESS);
    BYTE narrow[32] = {};
    DWORD type = 0;
    DWORD bytes = sizeof narrow;
    EXPECT_EQ(RegQueryValueExA(extension, nullptr, nullptr, &type, narrow, &bytes), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(narrow), bytes),
              std::string("RVXfile\0\0\0", 10));
    wchar_t wide[32] = {};
    bytes = sizeof wide;
    EXPECT_EQ(
        RegQueryValueExW(extension, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(wide), &bytes),
        ERROR_SUCCESS);
    EXPECT_EQ(bytes, 10 * sizeof(wchar_t));
    EXPECT_EQ(std::wstring(wide), L"RVXfile");
    RegCloseKey(extension);

    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(Read(L"RVXfile\\Shell\\RVXTOOL\\Command").text,
              L"\"" + std::wstring(self) + L"\" \"%1\"");
}

}  // namespace

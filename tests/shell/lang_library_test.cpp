// The English library must mirror the built-in interface control for control, and must hold
// nothing that could run when it is loaded.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "resource.h"

namespace {

std::wstring Wide(const char* path) {
    std::string narrow(path);
    std::wstring wide = L"Z:";
    const int n = MultiByteToWideChar(CP_UTF8, 0, narrow.c_str(), -1, nullptr, 0);
    std::wstring converted(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, narrow.c_str(), -1, converted.data(), n);
    converted.resize(static_cast<size_t>(n - 1));
    for (wchar_t& c : converted) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return wide + converted;
}

struct Control {
    DWORD style, exStyle;
    short x, y, cx, cy;
    DWORD id;
    std::u16string className;

    bool operator==(const Control& o) const {
        return style == o.style && exStyle == o.exStyle && x == o.x && y == o.y && cx == o.cx &&
               cy == o.cy && id == o.id && className == o.className;
    }
};

struct Template {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::u16string font;
    WORD pointSize = 0;
    std::vector<Control> controls;
};

// Reads an extended dialog template: its frame, font and every control but their texts.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : base_(data), at_(data) {}

    Template Read() {
        Template t;
        Skip(8);  // version, signature, help id
        t.exStyle = Dword();
        t.style = Dword();
        const WORD count = Word();
        t.x = Short(), t.y = Short(), t.cx = Short(), t.cy = Short();
        NameOrOrdinal();  // menu
        NameOrOrdinal();  // class
        String();         // caption
        if (t.style & DS_SETFONT) {
            t.pointSize = Word();
            Skip(4);  // weight, italic, charset
            t.font = String();
        }
        for (WORD i = 0; i < count; ++i) {
            Align();
            Control c{};
            Skip(4);  // help id
            c.exStyle = Dword();
            c.style = Dword();
            c.x = Short(), c.y = Short(), c.cx = Short(), c.cy = Short();
            c.id = Dword();
            c.className = NameOrOrdinal();
            NameOrOrdinal();  // text
            Skip(Word());     // creation data
            t.controls.push_back(c);
        }
        return t;
    }

private:
    void Skip(size_t n) { at_ += n; }
    void Align() { at_ = base_ + ((at_ - base_ + 3) & ~static_cast<ptrdiff_t>(3)); }
    WORD Word() {
        WORD v;
        std::memcpy(&v, at_, 2);
        at_ += 2;
        return v;
    }
    short Short() { return static_cast<short>(Word()); }
    DWORD Dword() {
        DWORD v;
        std::memcpy(&v, at_, 4);
        at_ += 4;
        return v;
    }
    std::u16string String() {
        std::u16string s;
        for (WORD c = Word(); c != 0; c = Word()) {
            s.push_back(static_cast<char16_t>(c));
        }
        return s;
    }
    std::u16string NameOrOrdinal() {
        WORD first;
        std::memcpy(&first, at_, 2);
        if (first == 0xFFFF) {
            Skip(2);
            return u"#" + std::u16string(1, static_cast<char16_t>(Word()));
        }
        return String();
    }

    const BYTE* base_;
    const BYTE* at_;
};

class LangLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        const DWORD flags = LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE;
        program_ = LoadLibraryExW(Wide(RVX_PROGRAM_FILE).c_str(), nullptr, flags);
        library_ = LoadLibraryExW(Wide(RVX_LANG_LIBRARY_FILE).c_str(), nullptr, flags);
        ASSERT_NE(program_, nullptr);
        ASSERT_NE(library_, nullptr);
    }
    void TearDown() override {
        FreeLibrary(program_);
        FreeLibrary(library_);
    }

    static Template DialogOf(HMODULE module, int id) {
        const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
        if (found == nullptr) {
            ADD_FAILURE() << "no dialog " << id;
            return Template{};
        }
        return TemplateReader(static_cast<const BYTE*>(LockResource(LoadResource(module, found))))
            .Read();
    }

    HMODULE program_ = nullptr;
    HMODULE library_ = nullptr;
};

TEST_F(LangLibrary, DialogsMatchTheBuiltInOnesControlForControl) {
    for (int id : {IDD_RVXTOOL_DIALOG, IDD_ABOUTBOX}) {
        const Template builtIn = DialogOf(program_, id);
        const Template english = DialogOf(library_, id);
        ASSERT_FALSE(builtIn.controls.empty()) << id;
        EXPECT_EQ(english.style, builtIn.style) << id;
        EXPECT_EQ(english.exStyle, builtIn.exStyle) << id;
        EXPECT_EQ(english.cx, builtIn.cx) << id;
        EXPECT_EQ(english.cy, builtIn.cy) << id;
        EXPECT_TRUE(english.font == builtIn.font) << id;
        EXPECT_EQ(english.pointSize, builtIn.pointSize) << id;
        ASSERT_EQ(english.controls.size(), builtIn.controls.size()) << id;
        for (size_t i = 0; i < builtIn.controls.size(); ++i) {
            EXPECT_TRUE(english.controls[i] == builtIn.controls[i])
                << "dialog " << id << ", control " << i << " (id " << builtIn.controls[i].id << ")";
        }
    }
}

TEST_F(LangLibrary, HoldsTheAboutStringAndBothIcons) {
    wchar_t text[64] = {};
    EXPECT_GT(LoadStringW(library_, IDS_ABOUTBOX, text, 64), 0);
    for (int id : {IDR_MAINFRAME, IDI_ABOUT}) {
        EXPECT_NE(FindResourceW(library_, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14)), nullptr)
            << "icon " << id;
    }
}

TEST(LangLibraryImage, HasNoEntryPointAndImportsNothing) {
    std::ifstream in(RVX_LANG_LIBRARY_FILE, std::ios::binary);
    const std::vector<char> image{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    ASSERT_GT(image.size(), sizeof(IMAGE_DOS_HEADER));
    IMAGE_DOS_HEADER dos;
    std::memcpy(&dos, image.data(), sizeof dos);
    IMAGE_NT_HEADERS32 nt;
    ASSERT_LE(static_cast<size_t>(dos.e_lfanew) + sizeof nt, image.size());
    std::memcpy(&nt, image.data() + dos.e_lfanew, sizeof nt);
    EXPECT_TRUE(nt.FileHeader.Characteristics & IMAGE_FILE_DLL);
    EXPECT_EQ(nt.OptionalHeader.AddressOfEntryPoint, 0u);

    // An import table, when there is one, must be only its closing empty entry.
    const IMAGE_DATA_DIRECTORY imports =
        nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    EXPECT_LE(imports.Size, sizeof(IMAGE_IMPORT_DESCRIPTOR));
}

}  // namespace

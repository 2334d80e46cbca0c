// The interface resources: control ids unique in every dialog, the English library's dialogs
// the same as the built-in ones control for control, and a library that holds nothing that runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "resource.h"

namespace {

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
    short cx = 0, cy = 0;
    std::vector<Control> controls;
};

// Reads dialog `id` of `module`, an extended template: its frame and every control but its text.
Template ReadDialog(HMODULE module, int id) {
    Template t;
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_DIALOG);
    if (found == nullptr) {
        ADD_FAILURE() << "no dialog " << id;
        return t;
    }
    const BYTE* const base = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    const BYTE* at = base;
    auto word = [&at] {
        WORD v;
        std::memcpy(&v, at, 2);
        at += 2;
        return v;
    };
    auto dword = [&at] {
        DWORD v;
        std::memcpy(&v, at, 4);
        at += 4;
        return v;
    };
    auto text = [&word] {
        std::u16string s;
        for (WORD c = word(); c != 0; c = word()) {
            s.push_back(static_cast<char16_t>(c));
        }
        return s;
    };
    auto nameOrOrdinal = [&] {
        WORD first;
        std::memcpy(&first, at, 2);
        if (first != 0xFFFF) {
            return text();
        }
        at += 2;
        return u"#" + std::u16string(1, static_cast<char16_t>(word()));
    };
    at += 8;  // version, signature, help id
    t.exStyle = dword();
    t.style = dword();
    const WORD count = word();
    at += 4;  // x, y
    t.cx = static_cast<short>(word());
    t.cy = static_cast<short>(word());
    nameOrOrdinal();  // menu
    nameOrOrdinal();  // class
    text();           // caption
    if (t.style & DS_SETFONT) {
        at += 6;  // point size, weight, italic, character set
        text();
    }
    for (WORD i = 0; i < count; ++i) {
        at = base + ((at - base + 3) & ~3);
        Control c{};
        at += 4;  // help id
        c.exStyle = dword();
        c.style = dword();
        c.x = static_cast<short>(word()), c.y = static_cast<short>(word());
        c.cx = static_cast<short>(word()), c.cy = static_cast<short>(word());
        c.id = dword();
        c.className = nameOrOrdinal();
        nameOrOrdinal();  // text
        at += word();     // creation data
        t.controls.push_back(c);
    }
    return t;
}

class Resources : public ::testing::Test {
protected:
    void SetUp() override {
        const DWORD flags = LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE;
        program_ = LoadLibraryExA(RVX_PROGRAM_FILE, nullptr, flags);
        library_ = LoadLibraryExA(RVX_LANG_LIBRARY_FILE, nullptr, flags);
        ASSERT_NE(program_, nullptr);
        ASSERT_NE(library_, nullptr);
    }
    void TearDown() override {
        FreeLibrary(program_);
        FreeLibrary(library_);
    }

    HMODULE program_ = nullptr;
    HMODULE library_ = nullptr;
};

TEST_F(Resources, EnglishDialogsMatchTheBuiltInOnesAndNoIdIsUsedTwice) {
    for (int id : {IDD_RVXTOOL_DIALOG, IDD_ABOUTBOX}) {
        SCOPED_TRACE("dialog " + std::to_string(id));
        const Template builtIn = ReadDialog(program_, id);
        const Template english = ReadDialog(library_, id);
        ASSERT_FALSE(builtIn.controls.empty());
        std::set<DWORD> ids;
        for (const Control& c : builtIn.controls) {
            EXPECT_TRUE(c.id == static_cast<DWORD>(IDC_STATIC) || ids.insert(c.id).second)
                << "id used twice: " << c.id;
        }
        EXPECT_EQ(english.style, builtIn.style);
        EXPECT_EQ(english.exStyle, builtIn.exStyle);
        EXPECT_EQ(english.cx, builtIn.cx);
        EXPECT_EQ(english.cy, builtIn.cy);
        ASSERT_EQ(english.controls.size(), builtIn.controls.size());
        for (size_t i = 0; i < builtIn.controls.size(); ++i) {
            EXPECT_TRUE(english.controls[i] == builtIn.controls[i])
                << "control " << i << " (id " << builtIn.controls[i].id << ")";
        }
    }
    // windres drops the size of an ICON statement; the About icon keeps its 20x20 as a CONTROL.
    const Control icon = ReadDialog(program_, IDD_ABOUTBOX).controls.at(0);
    EXPECT_EQ(icon.cx, 20);
    EXPECT_EQ(icon.cy, 20);
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
    EXPECT_LE(nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].Size,
              sizeof(IMAGE_IMPORT_DESCRIPTOR));
}

}  // namespace

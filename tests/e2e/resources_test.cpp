// The interface's dialogs: control ids unique, and the English library's dialogs the same as the
// built-in ones control for control.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "resource.h"

namespace {

struct Control {
    DWORD style, exStyle;
    short x, y, cx, cy;
    DWORD id;
    std::u16string className;

    bool operator==(const Control& o) const {
        return std::tie(style, exStyle, x, y, cx, cy, id, className) ==
               std::tie(o.style, o.exStyle, o.x, o.y, o.cx, o.cy, o.id, o.className);
    }
};

// A dialog's frame (as a control with id 0, its font's size and name as x and class), then
// its controls.
using Template = std::vector<Control>;

// Reads dialog `id` of `module`, an extended template: its frame and every control but its text.
Template ReadDialog(HMODULE module, int id) {
    Template t(1);
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
    t[0].exStyle = dword();
    t[0].style = dword();
    const WORD count = word();
    at += 4;  // x, y
    t[0].cx = static_cast<short>(word());
    t[0].cy = static_cast<short>(word());
    nameOrOrdinal();  // menu
    nameOrOrdinal();  // class
    text();           // caption
    if (t[0].style & DS_SETFONT) {
        t[0].x = static_cast<short>(word());  // point size
        at += 4;                              // weight, italic, character set
        t[0].className = text();              // the font's name
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
        t.push_back(c);
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
        ASSERT_GT(builtIn.size(), 1u);
        std::set<DWORD> ids;
        for (const Control& c : builtIn) {
            EXPECT_TRUE(c.id == static_cast<DWORD>(IDC_STATIC) || ids.insert(c.id).second)
                << "id used twice: " << c.id;
        }
        ASSERT_EQ(english.size(), builtIn.size());
        for (size_t i = 0; i < builtIn.size(); ++i) {
            EXPECT_TRUE(english[i] == builtIn[i])
                << (i == 0 ? "the frame" : "control " + std::to_string(i - 1)) << " (id "
                << builtIn[i].id << ")";
        }
    }
    // windres drops the size of an ICON statement; the About icon keeps its 20x20 as a CONTROL.
    const Control icon = ReadDialog(program_, IDD_ABOUTBOX).at(1);
    EXPECT_EQ(icon.cx, 20);
    EXPECT_EQ(icon.cy, 20);
}

}  // namespace

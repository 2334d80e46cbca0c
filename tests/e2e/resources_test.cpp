// The interface's dialogs: control ids unique, and the English library's dialogs the same as the
// built-in ones control for control.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "resource.h"

namespace {

#pragma pack(push, 2)
// The fixed parts of an extended dialog template and of each of its controls.
struct Frame {
    WORD version, signature;
    DWORD helpId, exStyle, style;
    WORD count;
    short x, y, cx, cy;
};
struct Item {
    DWORD helpId, exStyle, style;
    short x, y, cx, cy;
    DWORD id;
};
#pragma pack(pop)

struct Control {
    Item item;
    std::u16string className;

    bool operator==(const Control& o) const {
        return std::memcmp(&item, &o.item, sizeof item) == 0 && className == o.className;
    }
};

// A dialog's frame first (its styles and size, the font's point size as the id and its name as
// the class), then its controls without their texts.
using Template = std::vector<Control>;

Template ReadDialog(HMODULE module, int id) {
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_DIALOG);
    if (found == nullptr) {
        ADD_FAILURE() << "no dialog " << id;
        return {};
    }
    const BYTE* const base = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    const BYTE* at = base;
    auto take = [&at](void* out, std::size_t size) {
        std::memcpy(out, at, size);
        at += size;
    };
    auto word = [&take] {
        WORD v;
        take(&v, 2);
        return v;
    };
    // A string up to its zero, or 0xFFFF and an ordinal: its units as they stand.
    auto field = [&word] {
        std::u16string s(1, static_cast<char16_t>(word()));
        if (s[0] == 0xFFFF) {
            s += static_cast<char16_t>(word());
        }
        while (s.back() != 0 && s[0] != 0xFFFF) {
            s += static_cast<char16_t>(word());
        }
        return s;
    };
    Frame f;
    take(&f, sizeof f);
    field();  // menu
    field();  // class
    field();  // caption
    WORD pointSize = 0;
    std::u16string font;
    if (f.style & DS_SETFONT) {
        pointSize = word();
        at += 4;  // weight, italic, character set
        font = field();
    }
    Template t{{Item{0, f.exStyle, f.style, 0, 0, f.cx, f.cy, pointSize}, font}};
    for (WORD i = 0; i < f.count; ++i) {
        at = base + ((at - base + 3) & ~3);
        Control c;
        take(&c.item, sizeof c.item);
        c.className = field();
        field();       // text
        at += word();  // creation data
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
            EXPECT_TRUE(c.item.id == static_cast<DWORD>(IDC_STATIC) || ids.insert(c.item.id).second)
                << "id used twice: " << c.item.id;
        }
        ASSERT_EQ(english.size(), builtIn.size());
        for (size_t i = 0; i < builtIn.size(); ++i) {
            EXPECT_TRUE(english[i] == builtIn[i])
                << (i == 0 ? "the frame" : "control " + std::to_string(i - 1)) << " (id "
                << builtIn[i].item.id << ")";
        }
    }
    // windres drops the size of an ICON statement; the About icon keeps its 20x20 as a CONTROL.
    const Item icon = ReadDialog(program_, IDD_ABOUTBOX).at(1).item;
    EXPECT_EQ(icon.cx, 20);
    EXPECT_EQ(icon.cy, 20);
}

}  // namespace

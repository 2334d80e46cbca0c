// The program's built-in resources: both dialog templates control by control, the icons, the
// About string, the version block and the manifest.
#include <gtest/gtest.h>

#include <set>

#include "driver.h"
#include "resource_reader.h"

namespace e2e {
namespace {

const LANGID kChinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

struct Expected {
    int id;
    const wchar_t* className;
    const wchar_t* title;
    short x, y, cx, cy;
    DWORD kind;  // the style bits that say what the control is
};

void ExpectItems(const DialogTemplate& t, const std::vector<Expected>& expected) {
    ASSERT_EQ(t.items.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const DialogItem& item = t.items[i];
        const Expected& e = expected[i];
        SCOPED_TRACE("control " + std::to_string(i) + ": " + Utf8(e.title));
        EXPECT_EQ(item.id, e.id);
        EXPECT_EQ(item.className, e.className);
        EXPECT_EQ(item.title, e.title);
        EXPECT_EQ(item.x, e.x);
        EXPECT_EQ(item.y, e.y);
        EXPECT_EQ(item.cx, e.cx);
        EXPECT_EQ(item.cy, e.cy);
        EXPECT_EQ(item.style & e.kind, e.kind);
        EXPECT_TRUE(item.style & WS_VISIBLE);
    }
}

TEST(ResourcesTest, EditorTemplateHoldsEveryControlInOrder) {
    ResourceModule exe(ProgramPath());
    const DialogTemplate t = exe.Dialog(102, kChinese);
    EXPECT_EQ(t.caption, L"RVXTOOL");
    EXPECT_EQ(t.cx, 263);
    EXPECT_EQ(t.cy, 173);
    EXPECT_EQ(t.font, L"MS Shell Dlg");
    EXPECT_EQ(t.pointSize, 9);
    const DWORD frame = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    EXPECT_EQ(t.style & frame, frame);
    EXPECT_TRUE(t.exStyle & WS_EX_APPWINDOW);

    const DWORD edit = ES_AUTOHSCROLL | WS_BORDER;
    ExpectItems(t, {
                       {1, L"Button", L"退出", 193, 113, 57, 21, BS_DEFPUSHBUTTON},
                       {1000, L"Edit", L"", 95, 46, 81, 16, edit},
                       {1001, L"Button", L"导入RVX文件", 14, 113, 57, 21, BS_PUSHBUTTON},
                       {1002, L"Button", L"保存", 103, 113, 57, 21, BS_PUSHBUTTON},
                       {-1, L"Static", L"点名(8B):", 14, 50, 48, 11, SS_LEFT},
                       {1003, L"Edit", L"", 95, 70, 81, 16, edit},
                       {-1, L"Static", L"天线高(M):", 14, 74, 42, 11, SS_LEFT},
                       {-1, L"Static", L"被修改的RVX文件(P):", 14, 17, 71, 11, SS_LEFT},
                       {1005, L"Static", L"静态", 95, 13, 156, 21, SS_SUNKEN},
                       {1004, L"Button", L"查看", 193, 43, 57, 21, BS_PUSHBUTTON},
                       {1006, L"Button", L"中文", 54, 149, 42, 10, BS_AUTORADIOBUTTON},
                       {1007, L"Button", L"ENGLISH", 160, 149, 42, 10, BS_AUTORADIOBUTTON},
                   });

    // Tab stops: exit, point name, import, save, height, view - in that order.
    std::vector<int> tabStops;
    std::set<int> ids;
    bool pathGroupSeen = false;
    for (const DialogItem& item : t.items) {
        if (item.style & WS_TABSTOP) {
            tabStops.push_back(item.id);
        }
        if (item.id != -1) {
            EXPECT_TRUE(ids.insert(item.id).second) << "id used twice: " << item.id;
        }
        if (item.id == 1005) {
            EXPECT_TRUE(item.style & WS_GROUP);
            pathGroupSeen = true;
        } else if (pathGroupSeen) {
            // The radio buttons stay in the path display's group, so they exclude each other.
            EXPECT_FALSE(item.style & WS_GROUP) << "control " << item.id << " starts a group";
        }
    }
    EXPECT_EQ(tabStops, (std::vector<int>{1, 1000, 1001, 1002, 1003, 1004}));
}

TEST(ResourcesTest, AboutTemplateHoldsTheIconTheTextsAndOk) {
    ResourceModule exe(ProgramPath());
    const DialogTemplate t = exe.Dialog(100, kChinese);
    EXPECT_EQ(t.caption, L"关于RVXTOOL...");
    EXPECT_EQ(t.cx, 235);
    EXPECT_EQ(t.cy, 99);
    EXPECT_EQ(t.font, L"MS Shell Dlg");
    ASSERT_EQ(t.items.size(), 8u);
    EXPECT_EQ(t.items[0].title, L"#129");
    EXPECT_EQ(t.items[0].style & SS_TYPEMASK, static_cast<DWORD>(SS_ICON));
    EXPECT_TRUE(t.items[0].exStyle & WS_EX_DLGMODALFRAME);
    EXPECT_EQ(t.items[1].title, L"RVXTOOL, Ver 1.30");
    const short places[7][4] = {{8, 15, 20, 20},  {35, 14, 114, 8}, {35, 26, 131, 8},
                                {35, 38, 114, 8}, {35, 50, 114, 8}, {35, 62, 114, 8},
                                {35, 74, 193, 8}};
    for (int i = 0; i < 7; ++i) {
        const DialogItem& item = t.items[static_cast<size_t>(i)];
        EXPECT_EQ((std::vector<short>{item.x, item.y, item.cx, item.cy}),
                  (std::vector<short>{places[i][0], places[i][1], places[i][2], places[i][3]}))
            << "control " << i;
        if (i >= 2) {
            EXPECT_FALSE(item.title.empty());
        }
    }
    const DialogItem& ok = t.items[7];
    EXPECT_EQ(ok.id, IDOK);
    EXPECT_EQ(ok.title, L"OK");
    EXPECT_EQ((std::vector<short>{ok.x, ok.y, ok.cx, ok.cy}), (std::vector<short>{178, 7, 50, 16}));
    EXPECT_EQ(ok.style & BS_DEFPUSHBUTTON, static_cast<DWORD>(BS_DEFPUSHBUTTON));
}

TEST(ResourcesTest, IconsStringVersionAndManifest) {
    ResourceModule exe(ProgramPath());
    EXPECT_EQ(exe.IconImages(128), (std::vector<std::pair<int, int>>{{32, 8}}));
    const auto about = exe.IconImages(129);
    const std::set<std::pair<int, int>> expected = {{16, 8}, {16, 32}, {24, 8}, {24, 32},
                                                    {32, 8}, {32, 32}, {48, 8}, {48, 32}};
    const std::set<std::pair<int, int>> found(about.begin(), about.end());
    EXPECT_EQ(found, expected);
    EXPECT_EQ(exe.String(101), L"关于RVXTOOL(&A)...");

    const std::string manifest = exe.Raw(MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1));
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);

    const std::wstring path = ProgramPath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } strings[] = {{L"FileDescription", L"RVXTOOL"},
                   {L"InternalName", L"RVXTOOL.exe"},
                   {L"OriginalFilename", L"RVXTOOL.exe"},
                   {L"ProductName", L"RVXTOOL.exe"},
                   {L"FileVersion", L"1.0.0.1"}};
    for (const auto& s : strings) {
        wchar_t* value = nullptr;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\080403a8\\") + s.name;
        ASSERT_TRUE(
            VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length))
            << Utf8(s.name);
        EXPECT_EQ(std::wstring(value), s.value);
    }
}

}  // namespace
}  // namespace e2e

// The shipped program as the shell and the user's machine meet it: the file type registered at
// every start, shell open, the interface language, the command line and the package.
#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "driver.h"

namespace e2e {
namespace {

const char kChinese[] = "导入RVX文件";
const char kEnglish[] = "Import RVX file";

void Copy(const std::wstring& from, const std::wstring& to) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

// Copies RVXTOOL.exe and STATION.ico, and LangDll.dll when `library`, into `folder`; returns
// the copied program's path.
std::wstring InstallProgram(const std::wstring& folder, bool library) {
    for (const wchar_t* name : {L"RVXTOOL.exe", L"STATION.ico", L"LangDll.dll"}) {
        if (library || name[0] != L'L') {
            Copy(ProgramFolder() + name, folder + name);
        }
    }
    return folder + L"RVXTOOL.exe";
}

std::wstring CopySample(const std::wstring& folder) {
    Copy(WindowsPathOf(RVX_SAMPLE_FILE), folder + L"ABCD0861.RVX");
    return folder + L"ABCD0861.RVX";
}

void ForgetFileType() {
    for (const wchar_t* key : {L".RVX", L"RVXfile"}) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
    }
}

const wchar_t kIconKey[] = L"RVXfile\\DefaultIcon";
const wchar_t kCommandKey[] = L"RVXfile\\Shell\\RVXTOOL\\Command";

// The default value of HKEY_CLASSES_ROOT\`key` when it is a string, else "<none>".
std::string ClassDefault(const wchar_t* key) {
    wchar_t buffer[1024] = {};
    DWORD bytes = sizeof buffer;
    return RegGetValueW(HKEY_CLASSES_ROOT, key, nullptr, RRF_RT_REG_SZ, nullptr, buffer, &bytes) ==
                   ERROR_SUCCESS
               ? Utf8(buffer)
               : "<none>";
}

// The file type's five default values, and the extension's as raw bytes through the narrow
// functions.
std::vector<std::string> FileType() {
    std::vector<std::string> values;
    for (const wchar_t* key : {L".RVX", L"RVXfile", kIconKey, L"RVXfile\\Shell", kCommandKey}) {
        values.push_back(ClassDefault(key));
    }
    char bytes[256] = {};
    LONG size = sizeof bytes;
    RegQueryValueA(HKEY_CLASSES_ROOT, ".RVX", bytes, &size);
    values.emplace_back(bytes, static_cast<std::size_t>(size));
    return values;
}

std::string CommandFor(const std::wstring& exe) {
    return Utf8(L"\"" + exe + L"\" \"%1\"");
}

void ExpectPointsAt(const std::wstring& folder) {
    EXPECT_EQ(ClassDefault(kIconKey), Utf8(folder + L"STATION.ico"));
    EXPECT_EQ(ClassDefault(kCommandKey), CommandFor(folder + L"RVXTOOL.exe"));
}

// Opens `file` as a double-click in the shell does (the file type's default verb) and checks
// that the program started shows it loaded.
void ExpectShellOpens(const std::wstring& file) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    ASSERT_TRUE(ShellExecuteExW(&info) && info.hProcess != nullptr)
        << "the shell could not open " << Utf8(file) << ": error " << GetLastError();
    const HWND dialog = WaitForAnyWindow(L"#32770", L"RVXTOOL", kWaitMs);
    DWORD owner = 0;
    GetWindowThreadProcessId(dialog, &owner);
    if (dialog != nullptr && owner == GetProcessId(info.hProcess)) {
        EXPECT_EQ(Utf8(ControlText(dialog, IDC_POINT_NAME)), "ABCD");
        EXPECT_EQ(Utf8(ControlText(dialog, IDC_PATH)), Utf8(file));
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    } else {
        ADD_FAILURE() << "no RVXTOOL dialog of the started process appeared";
    }
    if (WaitForSingleObject(info.hProcess, kWaitMs) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the program did not end after its dialog was closed";
        TerminateProcess(info.hProcess, 1);
    }
    CloseHandle(info.hProcess);
}

// Each case works in a scratch folder of its own and leaves no language value behind.
class Shell : public ::testing::Test {
protected:
    void TearDown() override { DeleteProfile(); }

    // Sub-folder `name` of the scratch folder, made when missing; with a trailing backslash.
    std::wstring Folder(const std::wstring& name) const {
        const std::wstring folder = W(dir_.Folder()) + name;
        CreateDirectoryW(folder.c_str(), nullptr);
        return folder + L"\\";
    }

    rawgen::TempDir dir_;
};

TEST_F(Shell, OneStartRegistersEveryKeyAndASecondChangesNothing) {
    ForgetFileType();
    const std::wstring folder = Folder(L"Tools");
    const std::wstring exe = InstallProgram(folder, false);
    Program(L"", exe).Close();
    // ".RVX" holds "RVXfile", its terminator and two more zero bytes.
    const std::vector<std::string> expected = {
        "RVXfile", "RVX Document",  Utf8(folder + L"STATION.ico"),
        "RVXTOOL", CommandFor(exe), std::string("RVXfile\0\0\0", 10)};
    EXPECT_EQ(FileType(), expected);
    Program(L"", exe).Close();
    EXPECT_EQ(FileType(), expected) << "after a second start";
}

TEST_F(Shell, MovingTheProgramAndStartingItOnceRepointsIconAndCommand) {
    ForgetFileType();
    const std::wstring before = Folder(L"before");
    Program(L"", InstallProgram(before, false)).Close();
    ExpectPointsAt(before);

    const std::wstring after = W(dir_.Folder()) + L"after\\";
    ASSERT_TRUE(MoveFileW(before.substr(0, before.size() - 1).c_str(),
                          after.substr(0, after.size() - 1).c_str()));
    Program(L"", after + L"RVXTOOL.exe").Close();
    ExpectPointsAt(after);
}

TEST_F(Shell, ProgramInAFolderNamedOutsideTheCodePagesOpensRawFilesFromTheShell) {
    ForgetFileType();
    const std::wstring folder = Folder(L"测量 Ölçüm ΔΣ");
    const std::wstring exe = InstallProgram(folder, false);
    Program(L"", exe).Close();
    ExpectPointsAt(folder);
    ExpectShellOpens(CopySample(Folder(L"field data")));
}

// The profile value picks the language, and only the library beside the program supplies it.
TEST_F(Shell, LanguageFollowsTheValueAndOnlyTheLibraryBesideTheProgram) {
    const std::wstring bare = InstallProgram(Folder(L"bare"), false);
    const std::wstring withLibrary = InstallProgram(Folder(L"with library"), true);
    const std::wstring current = Folder(L"current");
    Copy(ProgramFolder() + L"LangDll.dll", current + L"LangDll.dll");
    const struct {
        const char* what;
        const std::wstring& exe;
        long value;  // -1: no value, -2: the text "0"
        std::wstring workDir;
        const char* importText;
    } cases[] = {
        {"no value, no library", bare, -1, L"", kChinese},
        {"value 1, no library", bare, 1, L"", kChinese},
        {"value 1, library only in the current folder", bare, 1, current, kChinese},
        {"no value, library", withLibrary, -1, L"", kEnglish},
        {"value 1, library", withLibrary, 1, L"", kEnglish},
        {"value 0, library", withLibrary, 0, L"", kChinese},
        {"value 2, library", withLibrary, 2, L"", kChinese},
        {"a text value, library", withLibrary, -2, L"", kEnglish},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteProfile();
        if (c.value >= 0) {
            WriteLanguageValue(static_cast<DWORD>(c.value));
        } else if (c.value == -2) {
            RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\RVXTOOL\\RVXTOOL\\RVXINI", L"UI", REG_SZ,
                            L"0", 2 * sizeof(wchar_t));
        }
        Program program(L"", c.exe, c.workDir);
        EXPECT_EQ(Utf8(program.Text(IDC_IMPORT)), c.importText);
        program.Close();
    }
}

TEST_F(Shell, CommandLineTakesAQuotedPathWholeAndNoOptionForIt) {
    const std::wstring file = CopySample(Folder(L"survey 2026  day 86"));
    const struct {
        std::wstring arguments;
        std::wstring path;
    } cases[] = {
        {Quoted(file), file},
        {L"-x /dde " + Quoted(file) + L" /y", file},
        {L"/p -Z:\\data\\ABCD0861.RVX", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.arguments));
        Program program(c.arguments);
        program.ExpectNoPopup();
        EXPECT_EQ(Utf8(program.Text(IDC_PATH)), Utf8(c.path));
        EXPECT_EQ(Utf8(program.Text(IDC_POINT_NAME)), c.path.empty() ? "" : "ABCD");
        program.Close();
    }
}

// Run inside a brand-new Wine prefix by fresh_prefix_package_test.sh: the unpacked package
// alone starts on the sample file and shows it.
TEST(Package, StartsOnTheSampleFromItsOwnFolder) {
    const char* unpacked = std::getenv("RVX_PACKAGE_DIR");
    ASSERT_NE(unpacked, nullptr) << "RVX_PACKAGE_DIR names the unpacked package";
    const std::wstring folder = WindowsPathOf(unpacked) + L"\\";
    const std::wstring sample = folder + L"ABCD0861.RVX";
    Program program(Quoted(sample), folder + L"RVXTOOL.exe", folder);
    program.ExpectNoPopup();
    EXPECT_EQ(Utf8(program.Text(IDC_POINT_NAME)), "ABCD");
    EXPECT_EQ(Utf8(program.Text(IDC_PATH)), Utf8(sample));
    EXPECT_EQ(Utf8(program.Text(IDC_IMPORT)), kEnglish) << "English by default";
    program.Close();
}

}  // namespace
}  // namespace e2e

// The program registers the raw file type at every start, and the shell then opens raw files
// with it.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "driver.h"
#include "gtest/gtest.h"
#include "resource.h"
#include "shell_fixture.h"

namespace shell_test {
namespace {

const wchar_t* const kKeys[] = {L".RVX", L"RVXfile", L"RVXfile\\DefaultIcon", L"RVXfile\\Shell",
                                L"RVXfile\\Shell\\RVXTOOL\\Command"};

std::vector<RegValue> ReadFileType() {
    std::vector<RegValue> values;
    for (const wchar_t* key : kKeys) {
        values.push_back(ReadClassDefault(key));
    }
    return values;
}

std::wstring CommandFor(const std::wstring& exe) {
    return L"\"" + exe + L"\" \"%1\"";
}

void ExpectPointsAt(const std::wstring& folder) {
    EXPECT_EQ(e2e::Utf8(ReadClassDefault(L"RVXfile\\DefaultIcon").text),
              e2e::Utf8(folder + L"STATION.ico"));
    EXPECT_EQ(e2e::Utf8(ReadClassDefault(L"RVXfile\\Shell\\RVXTOOL\\Command").text),
              e2e::Utf8(CommandFor(folder + L"RVXTOOL.exe")));
}

// Opens `file` as a double-click in the shell does (the file type's default verb) and checks
// that the program at `exe` shows it loaded.
void ExpectShellOpens(const std::wstring& file, const std::wstring& exe) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    ASSERT_TRUE(ShellExecuteExW(&info))
        << "the shell could not open " << e2e::Utf8(file) << ": error " << GetLastError();
    ASSERT_NE(info.hProcess, nullptr) << "the shell started no process";

    wchar_t image[1024] = {};
    DWORD length = 1024;
    QueryFullProcessImageNameW(info.hProcess, 0, image, &length);
    EXPECT_EQ(e2e::Utf8(image), e2e::Utf8(exe));

    const DWORD pid = GetProcessId(info.hProcess);
    HWND dialog = e2e::WaitForAnyWindow(L"#32770", L"RVXTOOL", e2e::kWaitMs);
    DWORD owner = 0;
    if (dialog != nullptr) {
        GetWindowThreadProcessId(dialog, &owner);
    }
    if (dialog == nullptr || owner != pid) {
        TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hProcess);
        FAIL() << "no RVXTOOL dialog of the started process appeared";
    }
    EXPECT_EQ(e2e::Utf8(e2e::ControlText(dialog, IDC_POINT_NAME)), "ABCD");
    EXPECT_EQ(e2e::Utf8(e2e::ControlText(dialog, IDC_PATH)), e2e::Utf8(file));
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    const bool ended = WaitForSingleObject(info.hProcess, e2e::kWaitMs) == WAIT_OBJECT_0;
    if (!ended) {
        TerminateProcess(info.hProcess, 1);
    }
    CloseHandle(info.hProcess);
    EXPECT_TRUE(ended) << "the program did not end after its dialog was closed";
}

TEST(Registration, OneStartWritesEveryKeyAndASecondChangesNothing) {
    ForgetFileType();
    const std::wstring folder = ScratchFolder(L"Tools");
    const std::wstring exe = InstallProgram(folder, Library::kWithout);
    StartAndClose(exe);

    const struct {
        const wchar_t* key;
        std::wstring text;
    } expected[] = {
        {L".RVX", L"RVXfile"},
        {L"RVXfile", L"RVX Document"},
        {L"RVXfile\\DefaultIcon", folder + L"STATION.ico"},
        {L"RVXfile\\Shell", L"RVXTOOL"},
        {L"RVXfile\\Shell\\RVXTOOL\\Command", CommandFor(exe)},
    };
    for (const auto& e : expected) {
        const RegValue v = ReadClassDefault(e.key);
        EXPECT_EQ(v.status, ERROR_SUCCESS) << e2e::Utf8(e.key);
        EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ)) << e2e::Utf8(e.key);
        EXPECT_EQ(e2e::Utf8(v.text), e2e::Utf8(e.text)) << e2e::Utf8(e.key);
    }
    // "RVXfile", its terminator and two more zero bytes.
    EXPECT_EQ(ReadClassDefaultBytes(L".RVX"), std::string("RVXfile\0\0\0", 10));
    EXPECT_EQ(ReadClassDefault(L".RVX").bytes, 10 * sizeof(wchar_t));

    const std::vector<RegValue> once = ReadFileType();
    StartAndClose(exe);
    EXPECT_TRUE(ReadFileType() == once) << "a second start changed the registration";
}

TEST(Registration, MovingTheProgramAndStartingItOnceRepointsIconAndCommand) {
    ForgetFileType();
    const std::wstring before = ScratchFolder(L"before");
    StartAndClose(InstallProgram(before, Library::kWithout));
    ExpectPointsAt(before);

    const std::wstring after = ScratchFolder(L"after");
    ASSERT_TRUE(RemoveDirectoryW(after.c_str()));
    ASSERT_TRUE(MoveFileW(before.substr(0, before.size() - 1).c_str(),
                          after.substr(0, after.size() - 1).c_str()));
    StartAndClose(after + L"RVXTOOL.exe");
    ExpectPointsAt(after);
}

TEST(Registration, ShellOpensARawFileInTheRegisteredProgram) {
    ForgetFileType();
    const std::wstring exe = InstallProgram(ScratchFolder(L"Tools"), Library::kWithout);
    StartAndClose(exe);
    ExpectShellOpens(CopySample(ScratchFolder(L"field data")), exe);
}

TEST(Registration, ProgramInAFolderNamedOutsideTheCodePagesRegistersAWorkingCommand) {
    ForgetFileType();
    const std::wstring folder = ScratchFolder(L"测量 Ölçüm ΔΣ");
    const std::wstring exe = InstallProgram(folder, Library::kWithout);
    StartAndClose(exe);
    ExpectPointsAt(folder);
    ExpectShellOpens(CopySample(ScratchFolder(L"obs")), exe);
}

}  // namespace
}  // namespace shell_test

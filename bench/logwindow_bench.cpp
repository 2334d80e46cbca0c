// Times the editor's field-log window from outside, as a user sees it: a log of 1,000 rows
// dropped on the editor, until its first rows show and until every row shows its state (all
// rows listed and "save all" enabled), against `rvxedit.exe apply --dry-run` of the same log,
// in turns. Nothing is saved: the files are only checked.
// Usage: logwindow_bench <RVXTOOL.exe> <rvxedit.exe> <scratch folder> [rows, default 1000]
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_files.h"
#include "resource.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

[[noreturn]] void Die(const char* what) {
    std::fprintf(stderr, "logwindow_bench: %s\n", what);
    std::exit(1);
}

struct Search {
    DWORD pid;
    HWND except;
    int child;  // a control the window must have
    HWND found;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == s->pid && hwnd != s->except && IsWindowVisible(hwnd) &&
        GetDlgItem(hwnd, s->child) != nullptr) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of `pid` other than `except` that has control `child`; polls for
// up to 30 s.
HWND WaitForWindow(DWORD pid, HWND except, int child) {
    const auto start = Clock::now();
    Search s{pid, except, child, nullptr};
    while (s.found == nullptr && Since(start) < 30) {
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&s));
        Sleep(s.found == nullptr ? 2 : 0);
    }
    return s.found;
}

// Posts a drop of `path` to `dialog` as the shell does; the drop's data must live in the
// program's own memory.
void Drop(HANDLE process, HWND dialog, const std::wstring& path) {
    DROPFILES header{sizeof header, {}, FALSE, TRUE};
    std::string data(reinterpret_cast<const char*>(&header), sizeof header);
    data.append(reinterpret_cast<const char*>(path.c_str()), (path.size() + 1) * 2);
    data.append(2, '\0');
    void* remote = VirtualAllocEx(process, nullptr, data.size(), MEM_COMMIT, PAGE_READWRITE);
    if (remote == nullptr ||
        !WriteProcessMemory(process, remote, data.data(), data.size(), nullptr)) {
        Die("cannot write the drop into the editor");
    }
    PostMessageW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
}

struct WindowTimes {
    double first;  // seconds from the drop to the first rows listed
    double last;   // to every row listed and "save all" enabled
};

WindowTimes TimeWindow(const std::wstring& tool, const std::wstring& log, std::size_t rows) {
    std::wstring commandLine = L"\"" + tool + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(tool.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi)) {
        Die("cannot start the editor");
    }
    const HWND editor = WaitForWindow(pi.dwProcessId, nullptr, IDC_SAVE);
    if (editor == nullptr) {
        Die("the editor did not show");
    }
    Sleep(500);  // let it settle as a user's editor would have
    const auto start = Clock::now();
    Drop(pi.hProcess, editor, log);
    const HWND window = WaitForWindow(pi.dwProcessId, editor, IDC_LOG_LIST);
    if (window == nullptr) {
        Die("the field-log window did not show");
    }
    const HWND list = GetDlgItem(window, IDC_LOG_LIST);
    const HWND saveAll = GetDlgItem(window, IDC_LOG_SAVE_ALL);
    WindowTimes times{-1, -1};
    while (Since(start) < 120) {
        DWORD_PTR count = 0;
        if (SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 1000, &count) == 0) {
            Die("the field-log window did not answer within 1 s");
        }
        if (count > 0 && times.first < 0) {
            times.first = Since(start);
        }
        if (count == rows && IsWindowEnabled(saveAll)) {
            times.last = Since(start);
            break;
        }
        Sleep(2);
    }
    if (times.last < 0) {
        Die("the field-log window did not list every row within 120 s");
    }
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    while (IsWindow(window) && Since(start) < 130) {
        Sleep(10);
    }
    PostMessageW(editor, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return times;
}

// Seconds `rvxedit.exe apply --dry-run log` takes from its start to its end, its output
// discarded.
double TimeDryRun(const std::wstring& rvxedit, const std::wstring& log) {
    std::wstring commandLine = L"\"" + rvxedit + L"\" apply --dry-run \"" + log + L"\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nul;
    si.hStdOutput = nul;
    si.hStdError = nul;
    PROCESS_INFORMATION pi{};
    const auto start = Clock::now();
    if (!CreateProcessW(rvxedit.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &si, &pi)) {
        Die("cannot start rvxedit");
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    const double seconds = Since(start);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(nul);
    if (code != 0) {
        Die("rvxedit apply --dry-run failed");
    }
    return seconds;
}

void PrintTimes(const char* what, const std::vector<double>& seconds) {
    const auto [low, high] = std::minmax_element(seconds.begin(), seconds.end());
    std::printf("   %-34s %8.1f ms  (runs %.1f to %.1f ms)\n", what, Median(seconds) * 1e3,
                *low * 1e3, *high * 1e3);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: logwindow_bench <RVXTOOL.exe> <rvxedit.exe> <scratch folder> "
                     "[rows]\n");
        return 2;
    }
    const std::size_t rows = argc > 4 ? std::wcstoul(argv[4], nullptr, 10) : 1000;
    std::wstring folder = std::wstring(argv[3]) + L"\\logwindow\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    // The scratch path is ASCII.
    if (!bench::WriteBatch(std::string(folder.begin(), folder.end()), rows, 20 << 10)) {
        Die("cannot write the files");
    }
    const std::wstring log = folder + L"log.csv";
    TimeDryRun(argv[2], log);  // warm up both once
    TimeWindow(argv[1], log, rows);
    std::vector<double> dryRun;
    std::vector<double> first;
    std::vector<double> last;
    for (int run = 0; run < 5; ++run) {
        dryRun.push_back(TimeDryRun(argv[2], log));
        const WindowTimes t = TimeWindow(argv[1], log, rows);
        first.push_back(t.first);
        last.push_back(t.last);
    }
    std::printf("4. a field log of %zu rows dropped on the editor (median of 5, in turns)\n", rows);
    PrintTimes("rvxedit apply --dry-run", dryRun);
    PrintTimes("the window: first rows shown", first);
    PrintTimes("the window: every row's state shown", last);
    std::printf("   ratio window/dry run %9.2f\n", Median(last) / Median(dryRun));
    std::printf("ratio logwindow %.2f\n", Median(last) / Median(dryRun));
    return 0;
}

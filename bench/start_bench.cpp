// Times a program from its start to its dialog on screen, against the smallest dialog program
// built the same way, in turns. Usage: start_bench <RVXTOOL.exe> <min_dialog.exe> [raw file]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (pid == s->pid && IsWindowVisible(hwnd) && std::wstring(cls) == L"#32770") {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Seconds from CreateProcess to a visible dialog of the new process; negative on failure. The
// program is closed again afterwards.
double TimeToDialog(const std::wstring& exe, const std::wstring& argument) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!argument.empty()) {
        commandLine += L" \"" + argument + L"\"";
    }
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const auto start = Clock::now();
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi)) {
        return -1;
    }
    Search s{pi.dwProcessId, nullptr};
    double seconds = -1;
    while (std::chrono::duration<double>(Clock::now() - start).count() < 30) {
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&s));
        if (s.found != nullptr) {
            seconds = std::chrono::duration<double>(Clock::now() - start).count();
            break;
        }
        Sleep(1);
    }
    if (s.found != nullptr) {
        PostMessageW(s.found, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return seconds;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: start_bench <RVXTOOL.exe> <min_dialog.exe> [raw file]\n");
        return 2;
    }
    const std::wstring rawFile = argc > 3 ? argv[3] : L"";
    TimeToDialog(argv[1], rawFile);  // warm up both once
    TimeToDialog(argv[2], L"");
    std::vector<double> tool;
    std::vector<double> minimal;
    for (int run = 0; run < 21; ++run) {
        const double a = TimeToDialog(argv[1], rawFile);
        const double b = TimeToDialog(argv[2], L"");
        if (a < 0 || b < 0) {
            std::fprintf(stderr, "start_bench: a dialog did not appear\n");
            return 1;
        }
        tool.push_back(a);
        minimal.push_back(b);
    }
    std::printf("3. start to dialog shown (median of 21, in turns)\n");
    std::printf("   smallest dialog  %9.1f ms\n", Median(minimal) * 1e3);
    std::printf("   RVXTOOL%s %9.1f ms\n", rawFile.empty() ? "         " : " + file  ",
                Median(tool) * 1e3);
    std::printf("   ratio            %9.2f\n", Median(tool) / Median(minimal));
    std::printf("ratio start %.2f\n", Median(tool) / Median(minimal));
    return 0;
}

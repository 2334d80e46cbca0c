// Times a program from its start to its dialog on screen, against the smallest dialog program
// built the same way, in turns; and, for comparison, the smallest program showing the editor's own
// dialog from the language library beside RVXTOOL.exe.
// Usage: start_bench <RVXTOOL.exe> <min_dialog.exe> [raw file]
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
    const std::wstring tool = argv[1];
    const std::wstring rawFile = argc > 3 ? argv[3] : L"";
    const std::wstring library = tool.substr(0, tool.find_last_of(L"\\/") + 1) + L"LangDll.dll";
    TimeToDialog(tool, rawFile);  // warm up each once
    TimeToDialog(argv[2], L"");
    TimeToDialog(argv[2], library);
    std::vector<double> times[3];
    for (int run = 0; run < 21; ++run) {
        const double t[3] = {TimeToDialog(tool, rawFile), TimeToDialog(argv[2], L""),
                             TimeToDialog(argv[2], library)};
        for (int i = 0; i < 3; ++i) {
            if (t[i] < 0) {
                std::fprintf(stderr, "start_bench: a dialog did not appear\n");
                return 1;
            }
            times[i].push_back(t[i]);
        }
    }
    const double toolTime = Median(times[0]);
    const double minimal = Median(times[1]);
    const double sameDialog = Median(times[2]);
    std::printf("3. start to dialog shown (median of 21, in turns)\n");
    std::printf("   smallest dialog  %9.1f ms\n", minimal * 1e3);
    std::printf("   the same program showing the editor's dialog %9.1f ms (%.2f)\n",
                sameDialog * 1e3, sameDialog / minimal);
    std::printf("   RVXTOOL%s %9.1f ms\n", rawFile.empty() ? "         " : " + file  ",
                toolTime * 1e3);
    std::printf("   ratio            %9.2f\n", toolTime / minimal);
    std::printf("ratio start %.2f\n", toolTime / minimal);
    return 0;
}

// Times a program from its start to its dialog on screen, against the smallest dialog program
// built the same way, in turns; and against the smallest program showing the editor's own dialog
// from the language library beside RVXTOOL.exe (what the editor cannot start faster than), and
// the editor started without a file.
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
    // In turns: the editor on the file, the smallest dialog, the editor's dialog alone, the
    // editor without a file.
    const std::wstring programs[4] = {tool, argv[2], argv[2], tool};
    const std::wstring arguments[4] = {rawFile, L"", library, L""};
    for (int i = 0; i < 4; ++i) {
        TimeToDialog(programs[i], arguments[i]);  // warm up each once
    }
    std::vector<double> times[4];
    for (int run = 0; run < 21; ++run) {
        for (int i = 0; i < 4; ++i) {
            const double t = TimeToDialog(programs[i], arguments[i]);
            if (t < 0) {
                std::fprintf(stderr, "start_bench: a dialog did not appear\n");
                return 1;
            }
            times[i].push_back(t);
        }
    }
    const double toolTime = Median(times[0]);
    const double minimal = Median(times[1]);
    const double sameDialog = Median(times[2]);
    const double empty = Median(times[3]);
    std::printf("3. start to dialog shown (median of 21, in turns; fastest to slowest run)\n");
    const auto line = [](const char* what, const std::vector<double>& v) {
        const auto [low, high] = std::minmax_element(v.begin(), v.end());
        std::printf("   %-46s %7.1f ms  (%.1f to %.1f)", what, Median(v) * 1e3, *low * 1e3,
                    *high * 1e3);
    };
    line("smallest dialog", times[1]);
    std::printf("\n");
    line("the same program showing the editor's dialog", times[2]);
    std::printf("  %.2f\n", sameDialog / minimal);
    line("RVXTOOL without a file", times[3]);
    std::printf("  %.2f of its own dialog\n", empty / sameDialog);
    line(rawFile.empty() ? "RVXTOOL" : "RVXTOOL + file", times[0]);
    std::printf("  %.2f of its own dialog\n", toolTime / sameDialog);
    std::printf("   ratio to the smallest dialog %9.2f\n", toolTime / minimal);
    std::printf("ratio start %.2f\n", toolTime / minimal);
    std::printf("ratio start-own %.2f\n", toolTime / sameDialog);
    return 0;
}

#include "file_holders.h"

#include <windows.h>

#include <restartmanager.h>

#include <vector>

#include "newer_api.h"

namespace {

using StartSession = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR*);
using EndSession = DWORD(WINAPI*)(DWORD);
using RegisterResources = DWORD(WINAPI*)(DWORD, UINT, LPCWSTR*, UINT, RM_UNIQUE_PROCESS*, UINT,
                                         LPCWSTR*);
using GetList = DWORD(WINAPI*)(DWORD, UINT*, UINT*, RM_PROCESS_INFO*, LPDWORD);

// The Restart Manager's library, loaded from the system folder only (never from beside the
// program or the current folder), once.
HMODULE RestartManager() {
    static HMODULE module = [] {
        wchar_t folder[MAX_PATH];
        const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) {
            return static_cast<HMODULE>(nullptr);
        }
        return LoadLibraryW((std::wstring(folder, n) + L"\\rstrtmgr.dll").c_str());
    }();
    return module;
}

}  // namespace

std::wstring ProgramsHolding(const std::wstring& path) {
    const HMODULE rm = RestartManager();
    const auto start = FunctionOf<StartSession>(rm, "RmStartSession");
    const auto end = FunctionOf<EndSession>(rm, "RmEndSession");
    const auto add = FunctionOf<RegisterResources>(rm, "RmRegisterResources");
    const auto list = FunctionOf<GetList>(rm, "RmGetList");
    if (start == nullptr || end == nullptr || add == nullptr || list == nullptr) {
        return L"";
    }
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (start(&session, 0, key) != ERROR_SUCCESS) {
        return L"";
    }
    LPCWSTR files[] = {path.c_str()};
    std::vector<RM_PROCESS_INFO> found(4);
    UINT needed = 0;
    UINT count = 0;
    DWORD rc = add(session, 1, files, 0, nullptr, 0, nullptr);
    // The list may grow between the calls: ask again while it does.
    for (int tries = 0; rc == ERROR_SUCCESS && tries < 3; ++tries) {
        count = static_cast<UINT>(found.size());
        DWORD reasons = 0;
        rc = list(session, &needed, &count, found.data(), &reasons);
        if (rc != ERROR_MORE_DATA) {
            break;
        }
        found.resize(needed + 2);
        count = 0;
        rc = ERROR_SUCCESS;
    }
    end(session);
    std::wstring names;
    for (UINT i = 0; rc == ERROR_SUCCESS && i < count && i < found.size(); ++i) {
        const std::wstring name = found[i].strAppName;
        if (!name.empty() && names.find(name) == std::wstring::npos) {
            names += (names.empty() ? L"" : L", ") + name;
        }
    }
    return names;
}

#include "file_open_dialog.h"

#include <shobjidl.h>

#include "newer_api.h"
#include "shell.h"

namespace {

// COM is needed only for the open dialog: ole32, slow to load, is loaded when it is shown.
template <typename Function>
Function ComFunction(const char* name) {
    return LaterSystemFunction<Function>(L"ole32.dll", name);
}

HRESULT CreateInstance(REFCLSID cls, REFIID iid, void** object) {
    using Function = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
    static const auto create = ComFunction<Function>("CoCreateInstance");
    return create != nullptr ? create(cls, nullptr, CLSCTX_INPROC_SERVER, iid, object)
                             : E_NOINTERFACE;
}

void TaskMemFree(void* memory) {
    using Function = void(WINAPI*)(LPVOID);
    static const auto release = ComFunction<Function>("CoTaskMemFree");
    if (release != nullptr) {
        release(memory);
    }
}

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_ != nullptr) {
            p_->Release();
        }
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** Out() { return &p_; }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }

private:
    T* p_ = nullptr;
};

bool RunDialog(HWND owner, const std::wstring& title, const std::vector<FileFilter>& filters,
               const std::wstring& folder, std::wstring* path) {
    ComPtr<IFileOpenDialog> dialog;
    if (FAILED(CreateInstance(CLSID_FileOpenDialog, IID_IFileOpenDialog,
                              reinterpret_cast<void**>(dialog.Out())))) {
        return false;
    }
    FILEOPENDIALOGOPTIONS options = 0;
    if (FAILED(dialog->GetOptions(&options))) {
        return false;
    }
    options |= FOS_FORCEFILESYSTEM | FOS_FILEMUSTEXIST | FOS_PATHMUSTEXIST | FOS_OVERWRITEPROMPT;
    if (FAILED(dialog->SetOptions(options))) {
        return false;
    }
    std::vector<COMDLG_FILTERSPEC> types;
    for (const FileFilter& f : filters) {
        types.push_back({f.name.c_str(), f.pattern.c_str()});
    }
    if (!types.empty() &&
        FAILED(dialog->SetFileTypes(static_cast<UINT>(types.size()), types.data()))) {
        return false;
    }
    dialog->SetTitle(title.c_str());
    ComPtr<IShellItem> start;
    if (!folder.empty() &&
        SUCCEEDED(AfxCreateItemFromParsingName(folder.c_str(), nullptr, IID_IShellItem,
                                               reinterpret_cast<void**>(start.Out())))) {
        dialog->SetFolder(start.Get());
    }
    if (FAILED(dialog->Show(owner))) {
        return false;
    }
    ComPtr<IShellItem> item;
    if (FAILED(dialog->GetResult(item.Out()))) {
        return false;
    }
    wchar_t* chosen = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &chosen)) || chosen == nullptr) {
        return false;
    }
    *path = chosen;
    TaskMemFree(chosen);
    return true;
}

}  // namespace

bool ChooseFileToOpen(HWND owner, const std::wstring& title, const std::vector<FileFilter>& filters,
                      const std::wstring& folder, std::wstring* path) {
    using InitFn = HRESULT(WINAPI*)(LPVOID, DWORD);
    using EndFn = void(WINAPI*)();
    static const auto initialize = ComFunction<InitFn>("CoInitializeEx");
    static const auto uninitialize = ComFunction<EndFn>("CoUninitialize");
    if (initialize == nullptr || uninitialize == nullptr) {
        return false;
    }
    const HRESULT init = initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const bool chosen = RunDialog(owner, title, filters, folder, path);
    if (SUCCEEDED(init)) {
        uninitialize();
    }
    return chosen;
}

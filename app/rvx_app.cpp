#include "rvx_app.h"

#include "file_type.h"
#include "language.h"
#include "language_setting.h"
#include "resources.h"
#include "rvx_dlg.h"

BOOL CRVXApp::InitInstance() {
    CWinApp::InitInstance();
    SetRegistryKey(kProfileKey);

    if (GetProfileInt(kLanguageSection, kLanguageEntry, kLanguageEnglish) == kLanguageEnglish) {
        m_hLangDll = LoadLanguageLibrary();
    }
    if (m_hLangDll != nullptr) {
        AfxSetResourceHandle(m_hLangDll);
    }

    const std::wstring path = FirstFileParameter(CommandLine().c_str());
    CRVXDlg dialog(path);
    dialog.SetAfterShown(&RegisterRawFileType);
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

int CRVXApp::ExitInstance() {
    if (m_hLangDll != nullptr) {
        AfxSetResourceHandle(nullptr);
        FreeLibrary(m_hLangDll);
        m_hLangDll = nullptr;
    }
    return CWinApp::ExitInstance();
}

// The program's one application object.
CRVXApp theApp;

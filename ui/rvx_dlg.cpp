#include "rvx_dlg.h"

#include <shellapi.h>

#include "about_dlg.h"
#include "editing.h"
#include "file_open_dialog.h"
#include "message_box.h"
#include "messages.h"
#include "resource.h"
#include "resources.h"
#include "save.h"
#include "text.h"
#include "win_app.h"

namespace {

constexpr wchar_t kLanguageSection[] = L"RVXINI";
constexpr wchar_t kLanguageEntry[] = L"UI";
constexpr wchar_t kRestartNoticeEnglish[] =
    L"\nThe application must be restarted for this change to take place.";
constexpr wchar_t kRestartNoticeChinese[] = L"\n该应用程序必须重新启动,\n以使所做改动生效。";
constexpr wchar_t kViewFailed[] = L"无法打开，没有相关联的应用程序，或文件可能已被移除";
constexpr wchar_t kImportTitle[] = L"RVXTOOL 点名与天线高修改工具 - 导入RVX文件";

std::u16string U16(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

std::wstring W(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

FileAction ActionOf(rawfile::FileOp op) {
    switch (op) {
        case rawfile::FileOp::kOpen:
            return FileAction::kOpen;
        case rawfile::FileOp::kWrite:
            return FileAction::kWrite;
        case rawfile::FileOp::kRename:
            return FileAction::kRename;
    }
    return FileAction::kWrite;
}

}  // namespace

CRVXDlg::CRVXDlg(const std::wstring& path, HWND parent)
    : CDialog(IDD_RVXTOOL_DIALOG, parent), m_hIcon(LoadResIcon(IDR_MAINFRAME)), m_strPath(path) {}

void CRVXDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Text(dx, IDC_POINT_NAME, m_strPointName);
    DDX_Text(dx, IDC_ANT_HEIGHT, m_strAntHigh);
    DDX_Text(dx, IDC_PATH, m_strShownPath);
}

BOOL CRVXDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    const HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE);
    if (systemMenu != nullptr) {
        const std::wstring about = LoadResString(IDS_ABOUTBOX);
        if (!about.empty()) {
            AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
        }
    }
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    LoadRawFile();
    return TRUE;
}

bool CRVXDlg::OnCommand(int id, int code) {
    if (code != BN_CLICKED) {
        return false;
    }
    switch (id) {
        case IDC_IMPORT:
            OnImport();
            return true;
        case IDC_SAVE:
            OnSave();
            return true;
        case IDC_VIEW:
            OnView();
            return true;
        case IDC_CHINESE:
            OnChinese();
            return true;
        case IDC_ENGLISH:
            OnEnglish();
            return true;
        default:
            return false;
    }
}

bool CRVXDlg::OnSysCommand(UINT id, LPARAM) {
    if ((id & 0xFFF0) != IDM_ABOUTBOX) {
        return false;
    }
    CAboutDlg about;
    about.DoModal();
    return true;
}

bool CRVXDlg::OnPaint() {
    if (!IsIconic(m_hWnd)) {
        return false;
    }
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(m_hWnd, &ps);
    SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(m_hWnd, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hWnd, &ps);
    return true;
}

HCURSOR CRVXDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

void CRVXDlg::LoadRawFile() {
    if (m_strPath.empty()) {
        return;
    }
    rawfile::EditedFile edited;
    const rawfile::LoadError error =
        rawfile::LoadForEditing(U16(m_strPath), rawfile::PathStyle::kWindows, &edited);
    m_strFileName = W(edited.fileName);
    m_strFolder = W(edited.file.folder);
    if (error != rawfile::LoadError::kNone) {
        ShowMessage(
            m_hWnd, W(rawfile::LoadErrorMessage(error)),
            rawfile::LoadErrorHasErrorIcon(error) ? MessageIcon::kError : MessageIcon::kNone);
        m_bLoaded = false;
        return;
    }
    m_header = edited.file.values;
    m_strPointName = W(edited.pointName);
    m_strSuffix = W(edited.file.tail);
    m_strAntHigh = W(edited.heightText);
    m_strShownPath = m_strPath;
    UpdateData(false);
    m_bLoaded = true;
}

void CRVXDlg::OnSave() {
    if (!m_bLoaded) {
        ShowMessage(m_hWnd, W(rawfile::kMsgImportFirst), MessageIcon::kError);
        return;
    }
    // A refused save leaves every member as it was before the button was pressed.
    const std::wstring pointNameBefore = m_strPointName;
    const std::wstring antHighBefore = m_strAntHigh;
    const std::wstring oldPointNameBefore = m_strOldPointName;
    const std::wstring oldAntHighBefore = m_strOldAntHigh;
    const std::wstring shownPathBefore = m_strShownPath;
    const auto refuse = [&](const std::u16string& message) {
        m_strPointName = pointNameBefore;
        m_strAntHigh = antHighBefore;
        m_strOldPointName = oldPointNameBefore;
        m_strOldAntHigh = oldAntHighBefore;
        m_strShownPath = shownPathBefore;
        ShowMessage(m_hWnd, W(message), MessageIcon::kError);
    };

    m_strOldPointName = m_strPointName;
    m_strOldAntHigh = m_strAntHigh;
    UpdateData(true);
    if (m_strPointName == m_strOldPointName && m_strAntHigh == m_strOldAntHigh) {
        return;
    }

    rawfile::LoadedFile file;
    file.path = U16(m_strPath);
    file.folder = U16(m_strFolder);
    file.tail = U16(m_strSuffix);
    file.values = m_header;
    rawfile::SavePlan plan;
    const rawfile::SaveRefusal refusal =
        rawfile::PlanSave(file, U16(m_strPointName), U16(m_strAntHigh), &plan);
    if (refusal != rawfile::SaveRefusal::kNone) {
        refuse(rawfile::SaveRefusalMessage(refusal, plan.newPath));
        return;
    }
    const rawfile::SaveOutcome outcome = rawfile::CarryOutSave(file.path, plan);
    if (outcome.status == rawfile::SaveStatus::kRefused) {
        refuse(rawfile::SaveRefusalMessage(outcome.refusal, plan.newPath));
        return;
    }

    m_strPointName = W(plan.pointName);
    m_strAntHigh = W(rawfile::BytesToText(plan.height.text));
    if (outcome.status == rawfile::SaveStatus::kWriteFailed) {
        ReportFileError(m_hWnd, ActionOf(outcome.error.op), W(outcome.error.path), W(plan.newPath),
                        W(outcome.error.reason));
        return;
    }
    m_header.antHeight = plan.height.metres;
    m_strNewPath = W(plan.newPath);
    if (outcome.status == rawfile::SaveStatus::kRenameFailed) {
        ReportFileError(m_hWnd, FileAction::kRename, m_strPath, m_strNewPath,
                        W(outcome.error.reason));
        return;
    }
    m_strPath = m_strNewPath;
    m_strShownPath = m_strNewPath;
    UpdateData(false);
    m_bLoaded = true;
}

void CRVXDlg::OnImport() {
    std::wstring chosen;
    if (!ChooseFileToOpen(m_hWnd, kImportTitle, {{L"TRQ Raw File(*.RVX)", L"*.RVX"}}, &chosen)) {
        return;
    }
    m_strPath = chosen;
    LoadRawFile();
}

void CRVXDlg::OnView() {
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"open", L"notepad.exe", m_strPath.c_str(), nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= 32) {
        ShowMessage(m_hWnd, kViewFailed, MessageIcon::kError);
    }
}

void CRVXDlg::ChooseLanguage(int value, const wchar_t* notice) {
    if (CWinApp* app = AfxGetApp()) {
        app->WriteProfileInt(kLanguageSection, kLanguageEntry, value);
    }
    ShowMessage(m_hWnd, notice, MessageIcon::kNone);
}

void CRVXDlg::OnChinese() {
    ChooseLanguage(0, kRestartNoticeEnglish);
}

void CRVXDlg::OnEnglish() {
    ChooseLanguage(1, kRestartNoticeChinese);
}

#include "rvx_dlg.h"

#include "about_dlg.h"
#include "file_open_dialog.h"
#include "language_setting.h"
#include "message_box.h"
#include "messages.h"
#include "resource.h"
#include "resources.h"
#include "shell.h"
#include "text.h"
#include "win_app.h"

namespace {

constexpr wchar_t kViewFailed[] = L"无法打开，没有相关联的应用程序，或文件可能已被移除";
constexpr wchar_t kImportTitle[] = L"RVXTOOL 点名与天线高修改工具 - 导入RVX文件";
constexpr wchar_t kDropOneFile[] = L"一次只能拖入一个RVX文件";
constexpr texts::Language kMessageLanguage = texts::Language::kChinese;

// "Date Exception!" is the one load message shown without the error icon.
MessageIcon LoadFailureIcon(rawfile::LoadError error) {
    return error == rawfile::LoadError::kDateTooLong ? MessageIcon::kNone : MessageIcon::kError;
}

}  // namespace

CRVXDlg::CRVXDlg(const std::wstring& path, HWND parent)
    : CDialog(IDD_RVXTOOL_DIALOG, parent), m_strPath(path) {}

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
    OnDpiChanged(WindowDpi(m_hWnd));
    AcceptDroppedFiles();
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

// A file dropped from the shell loads as if the import button had chosen it.
void CRVXDlg::OnDropFiles(const std::vector<std::wstring>& paths) {
    if (paths.empty()) {
        return;
    }
    if (paths.size() > 1) {
        ShowMessage(m_hWnd, kDropOneFile, MessageIcon::kError);
        return;
    }
    m_strPath = paths.front();
    LoadRawFile();
}

void CRVXDlg::OnDpiChanged(UINT dpi) {
    m_icons.Set(m_hWnd, IDR_MAINFRAME, dpi);
    m_hIcon = m_icons.Big();
}

void CRVXDlg::LoadRawFile() {
    if (m_strPath.empty()) {
        return;
    }
    rawfile::FileError readError;
    const rawfile::LoadError error =
        m_editor.Load(rawfile::FromWide(m_strPath), rawfile::PathStyle::kWindows, &readError);
    if (error != rawfile::LoadError::kNone) {
        std::wstring text = rawfile::ToWide(texts::LoadFailure(error, kMessageLanguage));
        if (error == rawfile::LoadError::kReadFailed) {
            text += L"\n" + rawfile::ToWide(readError.reason);
        }
        ShowMessage(m_hWnd, text, LoadFailureIcon(error));
        return;
    }
    m_strPointName = rawfile::ToWide(m_editor.PointName());
    m_strAntHigh = rawfile::ToWide(m_editor.HeightText());
    m_strShownPath = m_strPath;
    UpdateData(false);
}

void CRVXDlg::OnSave() {
    if (!m_editor.IsLoaded()) {
        ShowMessage(m_hWnd, rawfile::ToWide(texts::ImportFirst(kMessageLanguage)),
                    MessageIcon::kError);
        return;
    }
    UpdateData(true);
    const rawfile::SaveOutcome outcome =
        m_editor.Save(rawfile::FromWide(m_strPointName), rawfile::FromWide(m_strAntHigh));
    switch (outcome.status) {
        case rawfile::SaveStatus::kSaved:
            ShowEditorValues();
            return;
        case rawfile::SaveStatus::kRefused:
            ShowMessage(m_hWnd,
                        rawfile::ToWide(texts::Refusal(outcome.refusal, outcome.plan.newPath,
                                                       kMessageLanguage)),
                        MessageIcon::kError);
            return;
        case rawfile::SaveStatus::kWriteFailed:
        case rawfile::SaveStatus::kRenameFailed:
            ReportSaveFailure(outcome);
            return;
        case rawfile::SaveStatus::kFolderFlushFailed:
            ShowEditorValues();  // renamed: the fields show the file under its new name
            ReportSaveFailure(outcome);
            return;
        default:
            return;  // unchanged: nothing written, nothing to say
    }
}

// The path, point name and height of the file as the editor last saw it on disk.
void CRVXDlg::ShowEditorValues() {
    m_strPath = rawfile::ToWide(m_editor.Path());
    m_strShownPath = m_strPath;
    m_strPointName = rawfile::ToWide(m_editor.PointName());
    m_strAntHigh = rawfile::ToWide(m_editor.HeightText());
    UpdateData(false);
}

// The file-error report of a save that reached the disk; the fields keep what the user typed,
// so saving again tries again.
void CRVXDlg::ReportSaveFailure(const rawfile::SaveOutcome& outcome) {
    const std::wstring path = rawfile::ToWide(outcome.error.path);
    std::wstring what;
    switch (outcome.error.op) {
        case rawfile::FileOp::kOpen:
        case rawfile::FileOp::kRead:
            what = L"无法打开文件，未做任何修改：\n" + path;
            break;
        case rawfile::FileOp::kWrite:
            what = L"写入文件头时出错，文件头可能只写入了一部分，请再次保存：\n" + path;
            break;
        case rawfile::FileOp::kRename:
            what = L"天线高已保存，但无法重命名文件：\n" + path + L"\n→ " +
                   rawfile::ToWide(outcome.plan.newPath);
            break;
        case rawfile::FileOp::kFlushFolder:
            what = L"文件已保存并重命名，但系统无法确认新文件名已写入磁盘：\n" +
                   rawfile::ToWide(outcome.plan.newPath);
            break;
    }
    ReportFileError(m_hWnd, what, rawfile::ToWide(outcome.error.reason));
}

// The open dialog starts in the folder of the file loaded or tried last.
void CRVXDlg::OnImport() {
    const std::wstring folder = m_strPath.empty() ? L"" : FolderOfPath(FullPathOf(m_strPath));
    std::wstring chosen;
    if (!ChooseFileToOpen(m_hWnd, kImportTitle, {{L"TRQ Raw File(*.RVX)", L"*.RVX"}}, folder,
                          &chosen)) {
        return;
    }
    m_strPath = chosen;
    LoadRawFile();
}

void CRVXDlg::OnView() {
    const HINSTANCE result = AfxShellExecute(nullptr, L"open", L"notepad.exe", m_strPath.c_str(),
                                             nullptr, SW_SHOWNORMAL);
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
    ChooseLanguage(kLanguageChinese, kRestartNoticeAfterChinese);
}

void CRVXDlg::OnEnglish() {
    ChooseLanguage(kLanguageEnglish, kRestartNoticeAfterEnglish);
}

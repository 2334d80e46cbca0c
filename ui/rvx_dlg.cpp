#include "rvx_dlg.h"

#include <windowsx.h>

#include "about_dlg.h"
#include "change_record_path.h"
#include "file_identity.h"
#include "file_open_dialog.h"
#include "language_setting.h"
#include "log_dlg.h"
#include "log_messages.h"
#include "log_plan.h"
#include "message_box.h"
#include "messages.h"
#include "resource.h"
#include "resources.h"
#include "shell.h"
#include "text.h"
#include "win_app.h"

namespace {

// Posted when the DPI changed, to fit the path to the path field once the dialog is laid out
// again.
constexpr UINT kRefitPath = WM_APP + 1;
// Posted when the program was started on a field log, to open its window over the editor.
constexpr UINT kOpenLog = WM_APP + 2;
// A timer message comes only once no other message and no painting waits: it marks the dialog
// drawn in full.
constexpr UINT_PTR kShownTimer = 1;

// The system's texts (error reasons, button names) in the interface's language, where Windows
// has that language.
LANGID SystemLanguage(texts::Language language) {
    return language == texts::Language::kChinese
               ? MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)
               : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

// What a failed file operation was doing, and on which file.
std::wstring FailedOperation(const rawfile::FileError& error, texts::Language language) {
    return rawfile::ToWide(texts::FileOpFailure(error.op, language)) + L"\n" +
           rawfile::ToWide(error.path);
}

// A field log is a .csv or .txt file; anything else is taken for a raw file.
bool IsFieldLog(const std::wstring& path) {
    const std::size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos) {
        return false;
    }
    const std::wstring ext = path.substr(dot);
    return lstrcmpiW(ext.c_str(), L".csv") == 0 || lstrcmpiW(ext.c_str(), L".txt") == 0;
}

// "Date Exception!" is the one load message shown without the error icon.
MessageIcon LoadFailureIcon(rawfile::LoadError error) {
    return error == rawfile::LoadError::kDateTooLong ? MessageIcon::kNone : MessageIcon::kError;
}

}  // namespace

CRVXDlg::CRVXDlg(const std::wstring& path, HWND parent)
    : CDialog(IDD_RVXTOOL_DIALOG, parent),
      m_language(AfxGetResourceHandle() != AfxGetInstanceHandle() ? texts::Language::kEnglish
                                                                  : texts::Language::kChinese),
      m_strPath(path) {}

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
    m_pathField.Attach(m_hWnd, IDC_PATH);
    if (IsFieldLog(m_strPath)) {
        m_logToOpen.swap(m_strPath);
        PostMessageW(m_hWnd, kOpenLog, 0, 0);
    }
    LoadRawFile();
    SetTimer(m_hWnd, kShownTimer, USER_TIMER_MINIMUM, nullptr);
    // The point name is what a user most often corrects: typing replaces it at once.
    const HWND pointName = GetDlgItem(m_hWnd, IDC_POINT_NAME);
    SetFocus(pointName);
    SendMessageW(pointName, EM_SETSEL, 0, -1);
    return FALSE;
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
        case IDM_COPY_PATH:
            CopyToClipboard(m_hWnd, m_pathField.Path());
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
        Show(texts::DropOneFile(m_language), MessageIcon::kError);
        return;
    }
    if (!MayLeaveFields()) {
        return;
    }
    if (IsFieldLog(paths.front())) {
        OpenFieldLog(paths.front());
        return;
    }
    m_strPath = paths.front();
    LoadRawFile();
}

void CRVXDlg::OnDpiChanged(UINT dpi) {
    SetIcons(dpi);
    PostMessageW(m_hWnd, kRefitPath, 0, 0);
}

// Before the dialog shows, only the caption's icon: each icon given costs the start.
void CRVXDlg::SetIcons(UINT dpi) {
    m_icons.Set(m_hWnd, IDR_MAINFRAME, dpi, !m_shown);
    m_hIcon = m_icons.Big();
}

bool CRVXDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER && wParam == kShownTimer) {
        KillTimer(m_hWnd, kShownTimer);
        AfterShown(true);
        return true;
    }
    if (msg == WM_DESTROY) {
        AfterShown(false);  // closed before the timer came: the caller's work still runs
        return false;
    }
    if (msg == kOpenLog) {
        OpenFieldLog(m_logToOpen);
        return true;
    }
    // Logging off or shutting down asks about unsaved fields as closing does, and holds the end
    // of the session until it is answered; a refusal (Cancel, a failed save) keeps it from ending.
    if (msg == WM_QUERYENDSESSION) {
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, MayLeaveFields() ? TRUE : FALSE);
        return true;
    }
    if (msg == WM_ENDSESSION) {
        if (wParam != FALSE) {
            EndDialog(IDCANCEL);
        }
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, 0);
        return true;
    }
    if (msg == kRefitPath) {
        m_strShownPath = m_pathField.Refit();
        SetDlgItemTextW(m_hWnd, IDC_PATH, m_strShownPath.c_str());
        return true;
    }
    // The path field's menu: a right click on it, or the menu key while a button has the focus
    // (the edit boxes have menus of their own).
    const bool fromKeyboard = lParam == -1;
    if (msg == WM_CONTEXTMENU &&
        (reinterpret_cast<HWND>(wParam) == m_pathField.Control() || fromKeyboard)) {
        ShowPathMenu(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return true;
    }
    return false;
}

void CRVXDlg::ShowPathMenu(POINT screen) {
    if (screen.x == -1 && screen.y == -1) {
        RECT field{};
        GetWindowRect(m_pathField.Control(), &field);
        screen = POINT{field.left, field.bottom};
    }
    const HMENU menu = CreatePopupMenu();
    if (menu == nullptr) {
        return;
    }
    const UINT state = m_pathField.Path().empty() ? MF_GRAYED : MF_ENABLED;
    AppendMenuW(menu, MF_STRING | state, IDM_COPY_PATH,
                rawfile::ToWide(texts::CopyPath(m_language)).c_str());
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0,
                   m_hWnd, nullptr);
    DestroyMenu(menu);
}

void CRVXDlg::Show(const std::u16string& text, MessageIcon icon) {
    ShowMessage(m_hWnd, rawfile::ToWide(text), icon);
}

void CRVXDlg::AfterShown(bool showing) {
    if (m_shown) {
        return;
    }
    m_shown = true;
    if (showing) {
        SetIcons(WindowDpi(m_hWnd));
        m_pathField.AddTooltip();
    }
    if (m_afterShown != nullptr) {
        m_afterShown();
    }
}

void CRVXDlg::SetShownPath(const std::wstring& path) {
    m_strShownPath = m_pathField.Show(path);
}

void CRVXDlg::OnOK() {
    if (MayLeaveFields()) {
        CDialog::OnOK();
    }
}

void CRVXDlg::OnCancel() {
    if (MayLeaveFields()) {
        CDialog::OnCancel();
    }
}

// Fields that say what the file on disk says are left at once (a header the save would merely
// bring to its written form, such as a millimetre field that disagrees, is not the user's edit).
bool CRVXDlg::MayLeaveFields() {
    UpdateData(true);
    if (!m_editor.IsLoaded() ||
        !m_editor.FieldsDiffer(FieldPointName(), rawfile::FromWide(m_strAntHigh))) {
        return true;
    }
    switch (AskYesNoCancel(m_hWnd, rawfile::ToWide(texts::UnsavedEdits(m_language)),
                           SystemLanguage(m_language))) {
        case IDYES:
            return OnSave();
        case IDNO:
            return true;
        default:
            return false;
    }
}

void CRVXDlg::LoadRawFile() {
    if (m_strPath.empty()) {
        return;
    }
    rawfile::FileError readError;
    const rawfile::LoadError error =
        m_editor.Load(rawfile::FromWide(m_strPath), rawfile::PathStyle::kWindows, &readError);
    if (error != rawfile::LoadError::kNone) {
        std::u16string text = texts::Sentence(texts::LoadFailure(error, m_language), m_language);
        if (error == rawfile::LoadError::kReadFailed) {
            text += u"\n" + rawfile::FromWide(ReasonText(readError));
        }
        Show(text, LoadFailureIcon(error));
        return;
    }
    ShowEditorValues();
}

bool CRVXDlg::OnSave() {
    if (!m_editor.IsLoaded()) {
        Show(texts::Sentence(texts::ImportFirst(m_language), m_language), MessageIcon::kError);
        return false;
    }
    UpdateData(true);
    const std::u16string pointName = FieldPointName();
    const std::u16string height = rawfile::FromWide(m_strAntHigh);
    if (!ConfirmHeight(height)) {
        return false;
    }
    rawfile::ChangeRecordWriter record(ChangeRecordPath());
    const rawfile::SaveOutcome outcome = m_editor.Save(pointName, height, &record);
    switch (outcome.status) {
        case rawfile::SaveStatus::kSaved:
            ShowEditorValues();
            return true;
        case rawfile::SaveStatus::kRefused:
            Show(texts::Sentence(texts::Refusal(outcome.refusal, outcome.plan.newPath, m_language),
                                 m_language),
                 MessageIcon::kError);
            return false;
        case rawfile::SaveStatus::kJournalFailed:
            ReportRecordFailure(record.Place(), outcome.error);
            return false;
        case rawfile::SaveStatus::kWriteFailed:
        case rawfile::SaveStatus::kRenameFailed:
            ReportSaveFailure(outcome);
            return false;
        case rawfile::SaveStatus::kFolderFlushFailed:
            ShowEditorValues();  // renamed: the fields show the file under its new name
            ReportSaveFailure(outcome);
            return false;
        case rawfile::SaveStatus::kUnchanged:
            return true;  // nothing written, nothing to say, nothing left unsaved
        default:
            return false;
    }
}

// The point name field less the blanks at its ends, as a field log's cells lose them; blank, it
// stands for the file's own name.
std::u16string CRVXDlg::FieldPointName() const {
    const std::u16string name = rawfile::TrimBlanks(rawfile::FromWide(m_strPointName));
    return name.empty() ? m_editor.PointName() : name;
}

// A new height of 100 m or more is most likely millimetres: asked about before it is saved (a
// height the file already holds is taken as it is). No goes back to the height field.
bool CRVXDlg::ConfirmHeight(const std::u16string& height) {
    rawfile::NormalisedHeight normalised;
    if (rawfile::NormaliseHeight(height, &normalised) != rawfile::SaveRefusal::kNone ||
        rawfile::BytesToText(normalised.text) == m_editor.HeightText() ||
        !rawfile::LooksLikeMillimetres(normalised)) {
        return true;
    }
    const std::u16string question = texts::LikelyMillimetres(
        rawfile::TrimBlanks(height),
        rawfile::BytesToText(rawfile::MetresFromMillimetres(normalised)), m_language);
    if (AskYesNo(m_hWnd, rawfile::ToWide(question), SystemLanguage(m_language)) == IDYES) {
        return true;
    }
    const HWND field = GetDlgItem(m_hWnd, IDC_ANT_HEIGHT);
    SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
    SendMessageW(field, EM_SETSEL, 0, -1);
    return false;
}

// A record another program holds (a spreadsheet) is named with that program; any other failure
// is the file-error report.

// The path, point name and height of the file as the editor last saw it on disk.
void CRVXDlg::ShowEditorValues() {
    m_strPath = rawfile::ToWide(m_editor.Path());
    SetShownPath(m_strPath);
    m_strPointName = rawfile::ToWide(m_editor.PointName());
    m_strAntHigh = rawfile::ToWide(m_editor.HeightText());
    UpdateData(false);
}

// The file-error report of a save that reached the disk; the fields keep what the user typed,
// so saving again tries again.
void CRVXDlg::ReportSaveFailure(const rawfile::SaveOutcome& outcome) {
    const rawfile::FileError& error = outcome.error;
    std::wstring what = FailedOperation(error, m_language);
    if (error.op == rawfile::FileOp::kRename || error.op == rawfile::FileOp::kRenameHalf ||
        error.op == rawfile::FileOp::kFlushFolder) {
        what += L"\n→ " + rawfile::ToWide(outcome.plan.newPath);
    }
    ReportFileError(m_hWnd, what, ReasonText(error));
}

// Why the change record could not note the save; nothing was changed.
void CRVXDlg::ReportRecordFailure(rawfile::RecordPlace place, const rawfile::FileError& error) {
    // A record another program holds (a spreadsheet) is named with that program.
    const std::optional<std::u16string> held = RecordHeldMessage(error, m_language);
    if (held) {
        Show(*held, MessageIcon::kError);
        return;
    }
    Show(texts::Sentence(
             error.path + u": " +
                 texts::RecordRefused(place, rawfile::FromWide(ReasonText(error)), m_language),
             m_language),
         MessageIcon::kError);
}

// The system's words for a failed file operation, in the interface's language where it has
// them; the core's own reason otherwise.
std::wstring CRVXDlg::ReasonText(const rawfile::FileError& error) const {
    const std::wstring reason = SystemErrorText(error.code, SystemLanguage(m_language));
    return reason.empty() ? rawfile::ToWide(error.reason) : reason;
}

// The open dialog starts in the folder of the file loaded or tried last.
void CRVXDlg::OnImport() {
    if (!MayLeaveFields()) {
        return;
    }
    const std::wstring folder = m_strPath.empty() ? L"" : FolderOfPath(FullPathOf(m_strPath));
    std::wstring chosen;
    if (!ChooseFileToOpen(m_hWnd, rawfile::ToWide(texts::ImportTitle(m_language)),
                          {{L"TRQ Raw File(*.RVX)", L"*.RVX"},
                           {rawfile::ToWide(texts::LogFilter(m_language)), L"*.csv;*.txt"}},
                          folder, &chosen)) {
        return;
    }
    if (IsFieldLog(chosen)) {
        OpenFieldLog(chosen);
        return;
    }
    m_strPath = chosen;
    LoadRawFile();
}

// The log may save the file the editor shows: afterwards the editor shows it again as the disk
// has it, under its new name when the log renamed it, or nothing when it cannot be found.
void CRVXDlg::OpenFieldLog(const std::wstring& logPath) {
    rawfile::FileKey shown;
    const bool wasLoaded = m_editor.IsLoaded() && rawfile::KeyOf(m_editor.Path(), &shown);
    CFieldLogDlg log(logPath, m_language, m_hWnd);
    log.DoModal();
    if (!wasLoaded) {
        return;
    }
    m_strPath = rawfile::ToWide(m_editor.Path());
    if (rawfile::KindOf(m_editor.Path()) != rawfile::EntryKind::kFile) {
        for (const rawfile::RowPlan& row : log.Rows()) {
            rawfile::FileKey key;
            if (row.state == rawfile::RowState::kSaved &&
                rawfile::KeyOf(row.outcome.newPath, &key) && !(key < shown) && !(shown < key)) {
                m_strPath = rawfile::ToWide(row.outcome.newPath);
            }
        }
    }
    if (rawfile::KindOf(rawfile::FromWide(m_strPath)) != rawfile::EntryKind::kFile) {
        m_editor = rawfile::RawFileEditor();
        m_strPath.clear();
        m_strPointName.clear();
        m_strAntHigh.clear();
        SetShownPath(L"");
        UpdateData(false);
        return;
    }
    LoadRawFile();
}

void CRVXDlg::OnView() {
    const HINSTANCE result = AfxShellExecute(nullptr, L"open", L"notepad.exe", m_strPath.c_str(),
                                             nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= 32) {
        Show(texts::ViewFailed(m_language), MessageIcon::kError);
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

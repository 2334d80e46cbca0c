#include "log_dlg.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

#include "change_record_path.h"
#include "log_items.h"
#include "log_messages.h"
#include "numbers.h"
#include "paths.h"
#include "resource.h"
#include "text.h"
#include "win_app.h"

namespace {

// The worker's news for the window, and the window's own note to refit the columns after the
// user resized one (wParam: its index).
constexpr UINT kWorkProgress = WM_APP + 1;
constexpr UINT kRefitColumns = WM_APP + 2;

// How often the worker shows the rows it has checked: the first row at once, then at most
// this often. Each showing costs the window, the display and (under Wine) its server a few
// milliseconds of the two cores the check runs on: ten a second keep the list and its counter
// moving and a check of 1,000 rows about 5% faster than one at every step.
constexpr auto kPublishEvery = std::chrono::milliseconds(100);
// The longest a step of the check should take: a cancel waits for the step under way.
constexpr auto kLongestStep = std::chrono::milliseconds(80);

// Each column's width in dialog units until the user sets their own: the row column keeps its
// width, the others share the rest of the list's width in these proportions.
constexpr int kDefaultUnits[CFieldLogDlg::kColumns] = {24, 150, 70, 130, 172};
constexpr int kLeastUnits = 12;
// Where the user's widths are kept, beside the program's other profile values.
constexpr wchar_t kColumnSection[] = L"LogWindow";
constexpr const wchar_t* kColumnEntries[CFieldLogDlg::kColumns] = {
    L"Column0", L"Column1", L"Column2", L"Column3", L"Column4"};

// The encodings of the choice box, in the order of texts::LogEncodingChoice.
constexpr rawfile::TextEncoding kEncodings[texts::kLogEncodingChoices] = {
    rawfile::TextEncoding::kAuto,    rawfile::TextEncoding::kUtf8,
    rawfile::TextEncoding::kUtf16Le, rawfile::TextEncoding::kUtf16Be,
    rawfile::TextEncoding::kGb18030, rawfile::TextEncoding::kWindows1252,
    rawfile::TextEncoding::kLegacy};

std::wstring W(const std::u16string& text) {
    return rawfile::ToWide(text);
}

// `now → new`, or `now` alone when the save keeps it.
std::u16string Change(const std::u16string& now, const std::u16string& next) {
    return now == next || next.empty() ? now : now + u" \u2192 " + next;
}

std::u16string NameOf(const std::u16string& path) {
    return rawfile::SplitRawPath(path, rawfile::PathStyle::kWindows).fileName;
}

// The name of the file at `path` as its folder spells it (a log may write `abcd0861.RVX` for
// the `ABCD0861.RVX` on disk); the name as `path` has it when the file cannot be found.
std::u16string DiskName(const std::u16string& path) {
    if (path.empty() || path.find_first_of(u"*?") != std::u16string::npos) {
        return NameOf(path);
    }
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileExW(W(path).c_str(), FindExInfoStandard, &found,
                                           FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        return NameOf(path);
    }
    FindClose(search);
    return rawfile::FromWide(found.cFileName);
}

bool Saves(const rawfile::RowPlan& row) {
    return row.state == rawfile::RowState::kWillSave || row.state == rawfile::RowState::kSaved;
}

}  // namespace

CFieldLogDlg::CFieldLogDlg(const std::wstring& logPath, texts::Language language, HWND parent)
    : CDialog(IDD_FIELD_LOG, parent),
      m_logPath(logPath),
      m_language(language),
      m_record(ChangeRecordPath(), rawfile::FromWide(logPath)) {
    EnsureCommonControls();  // its list and progress bar
}

CFieldLogDlg::~CFieldLogDlg() {
    StopWork();
}

BOOL CFieldLogDlg::OnInitDialog() {
    const HWND list = GetDlgItem(m_hWnd, IDC_LOG_LIST);
    ListView_SetExtendedListViewStyle(list,
                                      LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP);
    LoadColumnWidths();
    for (int i = 0; i < kColumns; ++i) {
        std::wstring heading = W(texts::LogColumn(i, m_language));
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
        column.fmt = i == 0 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = 0;  // Layout fits them to the list
        column.pszText = heading.data();
        column.iSubItem = i;
        ListView_InsertColumn(list, i, &column);
    }
    const HWND encodings = GetDlgItem(m_hWnd, IDC_LOG_ENCODING);
    for (int i = 0; i < texts::kLogEncodingChoices; ++i) {
        SendMessageW(
            encodings, CB_ADDSTRING, 0,
            reinterpret_cast<LPARAM>(W(texts::LogEncodingChoice(i, GetACP(), m_language)).c_str()));
    }
    SendMessageW(encodings, CB_SETCURSEL, 0, 0);
    RECT dropped{0, 0, 150, 0};
    MapDialogRect(m_hWnd, &dropped);
    SendMessageW(encodings, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(dropped.right), 0);

    wchar_t caption[128] = L"";
    GetWindowTextW(m_hWnd, caption, 128);
    const std::u16string path = rawfile::FromWide(m_logPath);
    const rawfile::SplitName split = rawfile::SplitRawPath(path, rawfile::PathStyle::kWindows);
    m_logFolder = split.folder;
    SetWindowTextW(m_hWnd, (std::wstring(caption) + L" - " + W(split.fileName)).c_str());
    EnableWindow(GetDlgItem(m_hWnd, IDC_LOG_SAVE_ALL), FALSE);
    Layout();
    ReadAgain();
    return TRUE;
}

// --- The worker ----------------------------------------------------------------------------

void CFieldLogDlg::StartWork(bool save) {
    StopWork();
    m_stop = false;
    m_notified = false;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (!save) {
            m_shared = Shared();
        }
        m_shared.done = false;
        m_shared.dirtyFrom = m_shared.dirtyTo = 0;
    }
    const rawfile::TextEncoding encoding = m_encoding;
    try {
        m_worker = std::thread([this, save, encoding] {
            if (save) {
                SaveAll();
            } else {
                ReadAndCheck(encoding);
            }
        });
    } catch (const std::system_error&) {
        // No thread to be had: the work runs here, the window waiting for it.
        if (save) {
            SaveAll();
        } else {
            ReadAndCheck(encoding);
        }
    }
}

void CFieldLogDlg::StopWork() {
    m_stop = true;
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

void CFieldLogDlg::Notify() {
    if (!m_notified.exchange(true)) {
        PostMessageW(m_hWnd, kWorkProgress, 0, 0);
    }
}

void CFieldLogDlg::ReadAndCheck(rawfile::TextEncoding encoding) {
    rawfile::FieldLog log =
        rawfile::ReadFieldLog(rawfile::FromWide(m_logPath), encoding, rawfile::kDefaultTolerance);
    const bool usable = log.problem == rawfile::LogProblem::kNone;
    std::vector<rawfile::PlanItem> items;
    if (usable) {
        items = rawfile::PlanItemsOf(log);
    }
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_shared.log = std::move(log);
        m_shared.read = true;
        if (usable) {
            m_shared.items = items;
            m_shared.rows.assign(items.size(), ShownRow());
            m_shared.started = true;
        } else {
            m_shared.done = true;
        }
    }
    Notify();
    if (!usable) {
        return;
    }
    m_planner.Start(std::move(items));
    std::size_t published = 0;
    auto last = std::chrono::steady_clock::now();
    bool all = m_planner.Items().empty();
    // The first row shows at once; the steps then grow while they stay short, for larger ones
    // share the loads between two threads with less waiting, and a cancel waits for one step.
    std::size_t step = 1;
    while (!all && !m_stop) {
        const auto before = std::chrono::steady_clock::now();
        all = m_planner.CheckSome(step);
        const auto now = std::chrono::steady_clock::now();
        if (now - before < kLongestStep / 2) {
            step *= 2;
        } else if (now - before > kLongestStep && step > 1) {
            step /= 2;
        }
        if (all || published == 0 || now - last >= kPublishEvery) {
            Publish(published, m_planner.Checked());
            published = m_planner.Checked();
            last = now;
        }
    }
    Publish(published, m_planner.Checked());
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_shared.done = true;
    }
    Notify();
}

void CFieldLogDlg::SaveAll() {
    const std::size_t total = m_planner.Rows().size();
    while (!m_stop && m_planner.Next() < total) {
        const std::size_t first = m_planner.Next();
        const std::size_t count = m_planner.SaveNextGroup(&m_record, false);
        Publish(first, first + count);
        const rawfile::RowPlan* failed = nullptr;
        for (std::size_t i = first; i < first + count; ++i) {
            if (m_planner.Rows()[i].outcome.status == rawfile::SaveStatus::kJournalFailed) {
                failed = &m_planner.Rows()[i];
            }
        }
        if (failed != nullptr) {
            // Nothing of the group changed; a record another program holds is named with it.
            const rawfile::FileError& error = failed->outcome.Error();
            const std::optional<std::u16string> held = RecordHeldMessage(error, m_language);
            const std::u16string problem =
                held ? *held
                     : texts::Sentence(
                           error.path + u": " +
                               texts::RecordRefused(m_record.Place(), error.reason, m_language),
                           m_language);
            std::lock_guard<std::mutex> hold(m_lock);
            m_shared.recordProblem = problem;
            m_shared.recordHeld = held.has_value();
            break;
        }
    }
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_shared.saved = m_planner.Next();
        m_shared.done = true;
    }
    Notify();
}

void CFieldLogDlg::Publish(std::size_t from, std::size_t to) {
    const std::vector<rawfile::RowPlan>& rows = m_planner.Rows();
    std::vector<ShownRow> shown(to - from);
    // The file a clash is about, named as the disk spells it; looked up here, off the window's
    // thread and outside the lock.
    for (std::size_t i = from; i < to; ++i) {
        ShownRow& s = shown[i - from];
        s.plan = rows[i];
        if (s.plan.state != rawfile::RowState::kRefused) {
            continue;
        }
        if (s.plan.refusal == rawfile::Refusal::kSameFile) {
            const rawfile::RowPlan& other = rows[s.plan.other];
            s.otherName =
                DiskName(other.path.empty() ? m_planner.Items()[s.plan.other].path : other.path);
        } else if (s.plan.refusal == rawfile::Refusal::kSameNewName) {
            s.otherName = NameOf(s.plan.endPath);
        } else if (s.plan.refusal == rawfile::Refusal::kSave &&
                   s.plan.outcome.refusal == rawfile::SaveRefusal::kTargetExists) {
            // The shown copy names the file that holds the name, as its folder spells it.
            std::u16string& target = s.plan.outcome.newPath;
            const rawfile::SplitName split =
                rawfile::SplitRawPath(target, rawfile::PathStyle::kWindows);
            target = split.folder + DiskName(target);
        }
    }
    {
        std::lock_guard<std::mutex> hold(m_lock);
        for (std::size_t i = from; i < to; ++i) {
            m_shared.rows[i] = std::move(shown[i - from]);
        }
        m_shared.checked = m_planner.Checked();
        m_shared.saved = m_planner.Next();
        if (from < to) {
            const bool clean = m_shared.dirtyFrom == m_shared.dirtyTo;
            m_shared.dirtyFrom = clean ? from : std::min(m_shared.dirtyFrom, from);
            m_shared.dirtyTo = clean ? to : std::max(m_shared.dirtyTo, to);
        }
    }
    Notify();
}

// --- The window ----------------------------------------------------------------------------

void CFieldLogDlg::ReadAgain() {
    m_phase = Phase::kReading;
    m_listed = 0;
    ListView_SetItemCountEx(GetDlgItem(m_hWnd, IDC_LOG_LIST), 0, 0);
    EnableWindow(GetDlgItem(m_hWnd, IDC_LOG_SAVE_ALL), FALSE);
    SetDlgItemTextW(m_hWnd, IDC_LOG_ENCODING_READ, L"");
    SetDlgItemTextW(m_hWnd, IDC_LOG_DETAIL, L"");
    SetStatus(texts::LogReading(m_language));
    SetBusy(true);
    StartWork(false);
}

// The worker's news: the log read, more rows checked or saved, or its run finished.
void CFieldLogDlg::TakeProgress() {
    m_notified = false;
    bool read = false;
    bool done = false;
    std::size_t checked = 0;
    std::size_t saved = 0;
    std::size_t total = 0;
    std::size_t dirtyFrom = 0;
    std::size_t dirtyTo = 0;
    std::u16string recordProblem;
    bool recordHeld = false;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        read = m_shared.read;
        done = m_shared.done;
        checked = m_shared.checked;
        saved = m_shared.saved;
        total = m_shared.rows.size();
        dirtyFrom = m_shared.dirtyFrom;
        dirtyTo = m_shared.dirtyTo;
        m_shared.dirtyFrom = m_shared.dirtyTo = 0;
        recordProblem = m_shared.recordProblem;
        recordHeld = m_shared.recordHeld;
    }
    if (m_phase == Phase::kReading && read && m_after == AfterWork::kNothing) {
        ShowRead(m_shared.log);
    }
    const HWND list = GetDlgItem(m_hWnd, IDC_LOG_LIST);
    if (checked != m_listed && m_phase != Phase::kReading) {
        m_listed = checked;
        ListView_SetItemCountEx(list, static_cast<int>(checked),
                                LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
        RECT client;
        GetClientRect(list, &client);
        if (client.right != m_fittedWidth) {
            FitColumns();  // a scroll bar came or went
        }
    }
    if (dirtyFrom < dirtyTo) {
        ListView_RedrawItems(list, static_cast<int>(dirtyFrom), static_cast<int>(dirtyTo - 1));
    }
    if (m_after == AfterWork::kNothing) {
        if (m_phase == Phase::kChecking) {
            SetProgress(checked, total);
            SetStatus(texts::LogChecking(checked, total, m_language));
        } else if (m_phase == Phase::kSaving && !m_cancel) {
            SetProgress(saved, total);
            SetStatus(texts::LogSaving(saved, total, m_language));
        }
    }
    ShowDetail();
    if (!done) {
        return;
    }
    StopWork();  // the worker has finished: this only waits for its thread to end
    if (m_after == AfterWork::kClose) {
        CDialog::OnCancel();
        return;
    }
    if (m_after == AfterWork::kReadAgain) {
        m_after = AfterWork::kNothing;
        ReadAgain();
        return;
    }
    if (m_phase == Phase::kChecking) {
        FinishCheck();
    } else if (m_phase == Phase::kSaving) {
        if (recordHeld) {
            m_recordHeld = recordProblem;  // the rows it stopped are named with it too
        }
        FinishSave(recordProblem);
    }
}

// The log is read: which encoding it was read in, and why it cannot be used if it cannot.
void CFieldLogDlg::ShowRead(const rawfile::FieldLog& log) {
    SetDlgItemTextW(
        m_hWnd, IDC_LOG_ENCODING_READ,
        log.encoding.empty()
            ? L""
            : W(texts::LogEncodingRead(log.encoding, log.encodingFromBom, m_language)).c_str());
    SetBusy(false);
    if (log.problem != rawfile::LogProblem::kNone) {
        m_phase = Phase::kChecked;
        SetStatus(texts::LogProblem(log, m_language));
        ShowWindow(GetDlgItem(m_hWnd, IDC_LOG_PROGRESS), SW_HIDE);
        return;
    }
    m_phase = Phase::kChecking;
    SetProgress(0, log.rows.size());
    SetStatus(texts::LogChecking(0, log.rows.size(), m_language));
}

void CFieldLogDlg::FinishCheck() {
    m_phase = Phase::kChecked;
    const std::vector<rawfile::RowPlan>& rows = m_planner.Rows();
    const HWND list = GetDlgItem(m_hWnd, IDC_LOG_LIST);
    ShowWindow(GetDlgItem(m_hWnd, IDC_LOG_PROGRESS), SW_HIDE);
    if (m_planner.Problems() != 0) {
        if (ListView_GetNextItem(list, -1, LVNI_SELECTED) < 0) {
            for (std::size_t i = 0; i < rows.size(); ++i) {
                if (rows[i].state == rawfile::RowState::kRefused) {
                    ListView_SetItemState(list, static_cast<int>(i), LVIS_SELECTED | LVIS_FOCUSED,
                                          LVIS_SELECTED | LVIS_FOCUSED);
                    ListView_EnsureVisible(list, static_cast<int>(i), FALSE);
                    break;
                }
            }
        }
        SetStatus(texts::LogProblems(m_planner.Problems(), m_language));
        SetFocus(list);
        ShowDetail();
        return;
    }
    std::size_t toSave = 0;
    for (const rawfile::RowPlan& row : rows) {
        toSave += row.state == rawfile::RowState::kWillSave ? 1 : 0;
    }
    SetStatus(texts::LogReady(toSave, rows.size(), m_language));
    EnableWindow(GetDlgItem(m_hWnd, IDC_LOG_SAVE_ALL), toSave != 0);
    if (toSave != 0) {
        SetFocus(GetDlgItem(m_hWnd, IDC_LOG_SAVE_ALL));
    }
}

void CFieldLogDlg::StartSave() {
    if (m_phase != Phase::kChecked || m_planner.Problems() != 0 || m_planner.Rows().empty()) {
        return;
    }
    // A record that cannot take the rows refuses the save before any file changes.
    rawfile::FileError error;
    const rawfile::RecordPlace place = m_record.Open(&error);
    if (!rawfile::MayAppend(place)) {
        const std::optional<std::u16string> held = RecordHeldMessage(error, m_language);
        if (held) {
            StopForHeldRecord(*held);
            return;
        }
        SetStatus(texts::Sentence(
            error.path + u": " + texts::RecordRefused(place, error.reason, m_language),
            m_language));
        return;
    }
    m_phase = Phase::kSaving;
    m_recordHeld.clear();
    EnableWindow(GetDlgItem(m_hWnd, IDC_LOG_SAVE_ALL), FALSE);
    EnableWindow(GetDlgItem(m_hWnd, IDC_LOG_ENCODING), FALSE);
    SetDlgItemTextW(m_hWnd, IDCANCEL, W(texts::LogCancel(m_language)).c_str());
    SetFocus(GetDlgItem(m_hWnd, IDCANCEL));
    ShowWindow(GetDlgItem(m_hWnd, IDC_LOG_PROGRESS), SW_SHOW);
    SetProgress(0, m_planner.Rows().size());
    SetStatus(texts::LogSaving(0, m_planner.Rows().size(), m_language));
    StartWork(true);
}

// Another program holds the change record: nothing of the group was saved. The window says so
// on its status line and on each row still to save, and Save all finishes once it is closed.
void CFieldLogDlg::StopForHeldRecord(const std::u16string& message) {
    m_phase = Phase::kChecked;
    m_cancel = false;
    m_recordHeld = message;
    SetStatus(message);
    ShowWindow(GetDlgItem(m_hWnd, IDC_LOG_PROGRESS), SW_HIDE);
    SetDlgItemTextW(m_hWnd, IDCANCEL, W(texts::LogClose(m_language)).c_str());
    EnableWindow(GetDlgItem(m_hWnd, IDC_LOG_SAVE_ALL), TRUE);
    InvalidateRect(GetDlgItem(m_hWnd, IDC_LOG_LIST), nullptr, FALSE);
}

void CFieldLogDlg::FinishSave(const std::u16string& recordProblem) {
    m_phase = Phase::kSaved;
    std::size_t saved = 0;
    std::size_t failed = 0;
    for (const rawfile::RowPlan& row : m_planner.Rows()) {
        saved += row.state == rawfile::RowState::kSaved ? 1 : 0;
        failed += row.state == rawfile::RowState::kFailed ? 1 : 0;
    }
    const bool cancelled = m_cancel && m_planner.Next() < m_planner.Rows().size();
    std::u16string text = texts::LogSaved(saved, failed, cancelled, m_language);
    SetStatus(recordProblem.empty() ? text : recordProblem + u" " + text);
    ShowWindow(GetDlgItem(m_hWnd, IDC_LOG_PROGRESS), SW_HIDE);
    SetDlgItemTextW(m_hWnd, IDCANCEL, W(texts::LogClose(m_language)).c_str());
    InvalidateRect(GetDlgItem(m_hWnd, IDC_LOG_LIST), nullptr, FALSE);
}

bool CFieldLogDlg::OnCommand(int id, int code) {
    if (id == IDC_LOG_SAVE_ALL && code == BN_CLICKED) {
        StartSave();
        return true;
    }
    if (id == IDC_LOG_ENCODING && code == CBN_SELCHANGE) {
        const LRESULT choice = SendMessageW(GetDlgItem(m_hWnd, id), CB_GETCURSEL, 0, 0);
        if (choice < 0 || choice >= texts::kLogEncodingChoices || m_phase == Phase::kSaving ||
            m_phase == Phase::kSaved || m_after == AfterWork::kClose) {
            return true;
        }
        m_encoding = kEncodings[choice];
        if (m_worker.joinable()) {
            m_after = AfterWork::kReadAgain;  // once the reading or checking under way stops
            m_stop = true;
            SetStatus(texts::LogStopping(m_language));
        } else {
            ReadAgain();
        }
        return true;
    }
    return false;
}

// Enter saves only through the button; it never closes the window by surprise.
void CFieldLogDlg::OnOK() {}

// Cancel stops the saving after the group under way, and the reading or checking at the next
// row (the window then closes); once nothing runs, it closes the window.
void CFieldLogDlg::OnCancel() {
    if (m_phase == Phase::kSaving) {
        m_cancel = true;
        m_stop = true;
        SetStatus(texts::LogCancelling(m_language));
        return;
    }
    if (m_worker.joinable()) {
        m_after = AfterWork::kClose;
        m_stop = true;
        SetStatus(texts::LogStopping(m_language));
        return;
    }
    CDialog::OnCancel();
}

bool CFieldLogDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case kWorkProgress:
            TakeProgress();
            return true;
        case kRefitColumns:
            m_refitPosted = false;
            ColumnsResized(static_cast<int>(wParam));
            return true;
        case WM_SIZE:
            Layout();
            return true;
        case WM_DESTROY:
            StopWork();
            SaveColumnWidths();
            return false;
        case WM_GETMINMAXINFO: {
            RECT least{0, 0, 260, 150};
            MapDialogRect(m_hWnd, &least);
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize.x = least.right;
            info->ptMinTrackSize.y = least.bottom;
            return true;
        }
        case WM_NOTIFY:
            break;
        default:
            return false;
    }
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    const HWND list = GetDlgItem(m_hWnd, IDC_LOG_LIST);
    if (header->hwndFrom == ListView_GetHeader(list)) {
        // The user resized a column (by dragging or a double click on a divider); the other
        // columns are fitted again once the header is done with it.
        const auto* change = reinterpret_cast<NMHEADERW*>(lParam);
        const bool widthChanged =
            ((header->code == HDN_ITEMCHANGEDW || header->code == HDN_ITEMCHANGEDA) &&
             change->pitem != nullptr && (change->pitem->mask & HDI_WIDTH) != 0) ||
            header->code == HDN_ENDTRACKW || header->code == HDN_ENDTRACKA;
        if (widthChanged && !m_fitting && !m_refitPosted) {
            m_refitPosted = true;
            PostMessageW(m_hWnd, kRefitColumns, static_cast<WPARAM>(change->iItem), 0);
        }
        return false;
    }
    if (header->idFrom != IDC_LOG_LIST) {
        return false;
    }
    switch (header->code) {
        case LVN_GETDISPINFOW: {
            LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
            if ((item.mask & LVIF_TEXT) == 0 || item.cchTextMax <= 0) {
                return true;
            }
            item.pszText[0] = L'\0';
            std::lock_guard<std::mutex> hold(m_lock);
            if (item.iItem >= 0 && static_cast<std::size_t>(item.iItem) < m_listed &&
                static_cast<std::size_t>(item.iItem) < m_shared.rows.size()) {
                m_cell = W(texts::OneLineText(
                    CellText(static_cast<std::size_t>(item.iItem), item.iSubItem)));
                lstrcpynW(item.pszText, m_cell.c_str(), item.cchTextMax);
            }
            return true;
        }
        case LVN_GETINFOTIPW: {
            auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(lParam);
            if (tip->pszText == nullptr || tip->cchTextMax <= 0) {
                return true;
            }
            std::lock_guard<std::mutex> hold(m_lock);
            if (tip->iItem >= 0 && static_cast<std::size_t>(tip->iItem) < m_listed &&
                static_cast<std::size_t>(tip->iItem) < m_shared.rows.size()) {
                m_cell = W(texts::OneLineText(StateCell(static_cast<std::size_t>(tip->iItem))));
                lstrcpynW(tip->pszText, m_cell.c_str(), tip->cchTextMax);
            }
            return true;
        }
        case LVN_ITEMCHANGED:
        case LVN_ODSTATECHANGED:
            ShowDetail();
            return true;
        default:
            return false;
    }
}

// --- The cells -----------------------------------------------------------------------------

std::u16string CFieldLogDlg::CellText(std::size_t index, int column) const {
    switch (column) {
        case 0:
            return rawfile::WholeNumberText(static_cast<long long>(m_shared.items[index].row));
        case 1:
            return FileCell(index);
        case 2:
            return PointCell(index);
        case 3:
            return HeightCell(index);
        default:
            return StateCell(index);
    }
}

std::u16string CFieldLogDlg::FileCell(std::size_t index) const {
    return texts::LogFileCell(m_shared.items[index].path, m_logFolder);
}

std::u16string CFieldLogDlg::PointCell(std::size_t index) const {
    const rawfile::PlanItem& item = m_shared.items[index];
    const rawfile::RowPlan& row = m_shared.rows[index].plan;
    const std::u16string next = Saves(row) ? row.outcome.pointName : item.pointName.value_or(u"");
    return row.path.empty() ? next : Change(row.OldPoint(), next);
}

std::u16string CFieldLogDlg::HeightCell(std::size_t index) const {
    const rawfile::PlanItem& item = m_shared.items[index];
    const rawfile::RowPlan& row = m_shared.rows[index].plan;
    const std::u16string next =
        Saves(row) ? rawfile::BytesToText(row.outcome.heightText) : item.height.value_or(u"");
    std::u16string text = row.path.empty() ? next : Change(row.oldHeight, next);
    const std::u16string readings = texts::LogReadings(m_shared.log.rows[index].given, m_language);
    if (!readings.empty()) {
        text += (text.empty() ? u"(" : u" (") + readings + u")";
    }
    return text;
}

std::u16string CFieldLogDlg::StateCell(std::size_t index) const {
    const ShownRow& shown = m_shared.rows[index];
    const rawfile::RowPlan& row = shown.plan;
    if (!m_recordHeld.empty() && (row.state == rawfile::RowState::kWillSave ||
                                  row.outcome.status == rawfile::SaveStatus::kJournalFailed)) {
        return m_recordHeld;
    }
    if (row.state != rawfile::RowState::kRefused) {
        return texts::LogState(row, m_language);
    }
    return texts::LogRefusal(row, m_shared.items[index], m_shared.items[row.other].row,
                             shown.otherName, m_language);
}

// The selected row's state in full, on the line under the list.
void CFieldLogDlg::ShowDetail() {
    const int selected = ListView_GetNextItem(GetDlgItem(m_hWnd, IDC_LOG_LIST), -1, LVNI_SELECTED);
    std::wstring text;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (selected >= 0 && static_cast<std::size_t>(selected) < m_listed &&
            static_cast<std::size_t>(selected) < m_shared.rows.size()) {
            text = W(texts::OneLineText(StateCell(static_cast<std::size_t>(selected))));
        }
    }
    wchar_t shown[1024] = L"";
    GetDlgItemTextW(m_hWnd, IDC_LOG_DETAIL, shown, 1024);
    if (text != shown) {
        SetDlgItemTextW(m_hWnd, IDC_LOG_DETAIL, text.c_str());
    }
}

// --- Layout --------------------------------------------------------------------------------

void CFieldLogDlg::SetStatus(const std::u16string& text) {
    SetDlgItemTextW(m_hWnd, IDC_LOG_STATUS, W(text).c_str());
}

void CFieldLogDlg::SetProgress(std::size_t done, std::size_t total) {
    const HWND bar = GetDlgItem(m_hWnd, IDC_LOG_PROGRESS);
    SendMessageW(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(total == 0 ? 1 : total));
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(done), 0);
}

// While the log is read, the bar only says that the window is at work.
void CFieldLogDlg::SetBusy(bool busy) {
    const HWND bar = GetDlgItem(m_hWnd, IDC_LOG_PROGRESS);
    const LONG style = GetWindowLongW(bar, GWL_STYLE);
    if (busy) {
        SetWindowLongW(bar, GWL_STYLE, style | PBS_MARQUEE);
        SendMessageW(bar, PBM_SETMARQUEE, TRUE, 30);
        ShowWindow(bar, SW_SHOW);
    } else {
        SendMessageW(bar, PBM_SETMARQUEE, FALSE, 0);
        SetWindowLongW(bar, GWL_STYLE, style & ~PBS_MARQUEE);
    }
}

// The encoding line on top, the list filling the window, and under it the selected row's line,
// the status line, the bar and the buttons, laid out in dialog units so that they follow the
// DPI.
void CFieldLogDlg::Layout() {
    RECT client;
    GetClientRect(m_hWnd, &client);
    RECT u{7, 16, 60, 10};  // margin, button height, button width, line height
    MapDialogRect(m_hWnd, &u);
    RECT v{40, 14, 90, 18};  // label width, choice height, choice width, detail height
    MapDialogRect(m_hWnd, &v);
    const int margin = u.left;
    const int buttonH = u.top;
    const int buttonW = u.right;
    const int lineH = u.bottom;
    const int width = client.right - 2 * margin;
    const int buttonsY = client.bottom - margin - buttonH;
    // The status and the selected row's line each have room for two lines of a narrow window.
    const int statusY = buttonsY - margin / 2 - v.bottom;
    const int detailY = statusY - margin / 3 - v.bottom;
    const int listY = margin + v.top + margin / 2;
    const auto place = [this](int id, int x, int y, int w, int h) {
        SetWindowPos(GetDlgItem(m_hWnd, id), nullptr, x, y, w < 0 ? 0 : w, h < 0 ? 0 : h,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const int labelY = margin + (v.top - lineH) / 2 + lineH / 8;
    place(IDC_LOG_ENCODING_LABEL, margin, labelY, v.left, lineH);
    // A drop-down list's height is the closed box and its list together.
    place(IDC_LOG_ENCODING, margin + v.left, margin, v.right, v.top * 8);
    const int readX = margin + v.left + v.right + margin;
    place(IDC_LOG_ENCODING_READ, readX, labelY, client.right - margin - readX, lineH);
    place(IDC_LOG_LIST, margin, listY, width, detailY - margin / 3 - listY);
    place(IDC_LOG_DETAIL, margin, detailY, width, v.bottom);
    place(IDC_LOG_STATUS, margin, statusY, width, v.bottom);
    place(IDCANCEL, client.right - margin - buttonW, buttonsY, buttonW, buttonH);
    place(IDC_LOG_SAVE_ALL, client.right - 2 * (margin + buttonW) + margin, buttonsY, buttonW,
          buttonH);
    place(IDC_LOG_PROGRESS, margin, buttonsY + buttonH / 4, client.right - 3 * margin - 2 * buttonW,
          buttonH / 2);
    FitColumns();
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

// The row column keeps its width; the others share the rest of the list's width in the
// proportions of their widths, so a wider window widens them and leaves no empty space.
void CFieldLogDlg::FitColumns() {
    const HWND list = GetDlgItem(m_hWnd, IDC_LOG_LIST);
    RECT client;
    GetClientRect(list, &client);
    if (client.right <= 0) {
        return;
    }
    RECT rowWidth{0, 0, m_columnUnits[0], 0};
    MapDialogRect(m_hWnd, &rowWidth);
    const int rest = client.right - rowWidth.right;
    long long shares = 0;
    for (int i = 1; i < kColumns; ++i) {
        shares += m_columnUnits[i];
    }
    m_fitting = true;
    ListView_SetColumnWidth(list, 0, rowWidth.right);
    int x = rowWidth.right;
    for (int i = 1; i < kColumns; ++i) {
        const int w = i == kColumns - 1 ? client.right - x
                                        : static_cast<int>(rest * m_columnUnits[i] / shares);
        ListView_SetColumnWidth(list, i, w < 0 ? 0 : w);
        x += w;
    }
    m_fitting = false;
    m_fittedWidth = client.right;
}

// The user gave column `column` a width: the columns before it and it keep theirs, the ones
// after it share what is left in their proportions (each keeping a least width), and the new
// widths become the proportions the window keeps. The last column resized refits them all.
void CFieldLogDlg::ColumnsResized(int column) {
    const HWND list = GetDlgItem(m_hWnd, IDC_LOG_LIST);
    RECT client;
    GetClientRect(list, &client);
    RECT scale{0, 0, 1000, kLeastUnits};
    MapDialogRect(m_hWnd, &scale);
    if (scale.right <= 0) {
        return;
    }
    const auto toUnits = [&](int px) {
        const int units = static_cast<int>((px * 1000LL + scale.right / 2) / scale.right);
        return units < kLeastUnits ? kLeastUnits : units;
    };
    int widths[kColumns];
    for (int i = 0; i < kColumns; ++i) {
        widths[i] = ListView_GetColumnWidth(list, i);
    }
    if (column < 0 || column >= kColumns - 1) {
        for (int i = 0; i < kColumns; ++i) {
            m_columnUnits[i] = toUnits(widths[i]);
        }
        m_columnsSet = true;
        FitColumns();
        return;
    }
    const int least = scale.bottom;
    int before = 0;
    for (int i = 0; i < column; ++i) {
        before += widths[i];
    }
    const int after = kColumns - 1 - column;
    const int most = client.right - before - least * after;
    if (widths[column] > most) {
        widths[column] = most < least ? least : most;
    }
    int left = client.right - before - widths[column];
    long long shares = 0;
    for (int i = column + 1; i < kColumns; ++i) {
        shares += m_columnUnits[i];
    }
    for (int i = column + 1; i < kColumns; ++i) {
        const int w = i == kColumns - 1 ? left : static_cast<int>(left * m_columnUnits[i] / shares);
        widths[i] = w < least ? least : w;
        left -= widths[i];
    }
    m_fitting = true;
    for (int i = 0; i < kColumns; ++i) {
        ListView_SetColumnWidth(list, i, widths[i]);
        m_columnUnits[i] = toUnits(widths[i]);
    }
    m_fitting = false;
    m_fittedWidth = client.right;
    m_columnsSet = true;
}

void CFieldLogDlg::LoadColumnWidths() {
    bool usable = true;
    CWinApp* app = AfxGetApp();
    for (int i = 0; i < kColumns; ++i) {
        const UINT units =
            app != nullptr ? app->GetProfileInt(kColumnSection, kColumnEntries[i], 0) : 0;
        usable = usable && units >= kLeastUnits && units <= 4000;
        m_columnUnits[i] = static_cast<int>(units);
    }
    if (!usable) {
        std::copy(kDefaultUnits, kDefaultUnits + kColumns, m_columnUnits);
    }
}

// Written only when the user resized a column.
void CFieldLogDlg::SaveColumnWidths() const {
    CWinApp* app = AfxGetApp();
    if (app == nullptr || !m_columnsSet) {
        return;
    }
    for (int i = 0; i < kColumns; ++i) {
        app->WriteProfileInt(kColumnSection, kColumnEntries[i], m_columnUnits[i]);
    }
}

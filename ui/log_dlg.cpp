#include "log_dlg.h"

#include <commctrl.h>

#include "change_record_path.h"
#include "log_items.h"
#include "log_messages.h"
#include "numbers.h"
#include "paths.h"
#include "resource.h"
#include "text.h"

namespace {

// The timer that drives the work, and how many rows each of its ticks checks (saves go a
// group at a time).
constexpr UINT_PTR kStepTimer = 1;
constexpr std::size_t kCheckStep = 64;

constexpr int kColumns = 5;
// Each column's width in dialog units.
constexpr int kColumnWidths[kColumns] = {24, 76, 70, 154, 206};

std::wstring W(const std::u16string& text) {
    return rawfile::ToWide(text);
}

// `now → new`, or `now` alone when the save keeps it.
std::u16string Change(const std::u16string& now, const std::u16string& next) {
    return now == next || next.empty() ? now : now + u" \u2192 " + next;
}

}  // namespace

CFieldLogDlg::CFieldLogDlg(const std::wstring& logPath, texts::Language language, HWND parent)
    : CDialog(IDD_FIELD_LOG, parent),
      m_logPath(logPath),
      m_language(language),
      m_record(ChangeRecordPath()) {}

BOOL CFieldLogDlg::OnInitDialog() {
    const HWND list = GetDlgItem(m_hWnd, IDC_LOG_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    for (int i = 0; i < kColumns; ++i) {
        RECT width{0, 0, kColumnWidths[i], 0};
        MapDialogRect(m_hWnd, &width);
        std::wstring heading = W(texts::LogColumn(i, m_language));
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
        column.fmt = i == 0 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = width.right;
        column.pszText = heading.data();
        column.iSubItem = i;
        ListView_InsertColumn(list, i, &column);
    }
    wchar_t caption[128] = L"";
    GetWindowTextW(m_hWnd, caption, 128);
    const std::u16string logName =
        rawfile::SplitRawPath(rawfile::FromWide(m_logPath), rawfile::PathStyle::kWindows).fileName;
    SetWindowTextW(m_hWnd, (std::wstring(caption) + L" - " + W(logName)).c_str());
    EnableWindow(GetDlgItem(m_hWnd, IDC_LOG_SAVE_ALL), FALSE);
    Layout();

    const std::u16string path = rawfile::FromWide(m_logPath);
    m_logFolder = rawfile::SplitRawPath(path, rawfile::PathStyle::kWindows).folder;
    m_log = rawfile::ReadFieldLog(path, rawfile::TextEncoding::kAuto, rawfile::kDefaultTolerance);
    if (m_log.problem != rawfile::LogProblem::kNone) {
        m_phase = Phase::kDone;
        SetStatus(texts::LogProblem(m_log, m_language));
        ShowWindow(GetDlgItem(m_hWnd, IDC_LOG_PROGRESS), SW_HIDE);
        return TRUE;
    }
    m_planner.Start(rawfile::PlanItemsOf(m_log));
    SetProgress(0, m_log.rows.size());
    SetTimer(m_hWnd, kStepTimer, 1, nullptr);
    return TRUE;
}

void CFieldLogDlg::Step() {
    if (m_phase == Phase::kChecking) {
        const bool done = m_planner.CheckSome(kCheckStep);
        SetProgress(m_planner.Checked(), m_planner.Items().size());
        SetStatus(texts::LogChecking(m_planner.Checked(), m_planner.Items().size(), m_language));
        if (done) {
            KillTimer(m_hWnd, kStepTimer);
            FinishCheck();
        }
        return;
    }
    if (m_phase != Phase::kSaving) {
        KillTimer(m_hWnd, kStepTimer);
        return;
    }
    bool recordOk = true;
    rawfile::FileError error;
    const std::size_t first = m_planner.Next();
    const std::size_t count = m_planner.SaveNextGroup(&m_record, false, &recordOk, &error);
    SetProgress(m_planner.Next(), m_planner.Rows().size());
    SetStatus(texts::LogSaving(m_planner.Next(), m_planner.Rows().size(), m_language));
    ListView_RedrawItems(GetDlgItem(m_hWnd, IDC_LOG_LIST), static_cast<int>(first),
                         static_cast<int>(first + count));
    if (!recordOk) {
        FinishSave(texts::Sentence(
            texts::FileOpFailure(error.op, m_language) + u" " + error.path + u" " + error.reason,
            m_language));
    } else if (m_cancel || m_planner.Next() == m_planner.Rows().size()) {
        FinishSave(u"");
    }
}

void CFieldLogDlg::FinishCheck() {
    m_phase = Phase::kChecked;
    const std::vector<rawfile::RowPlan>& rows = m_planner.Rows();
    const HWND list = GetDlgItem(m_hWnd, IDC_LOG_LIST);
    ListView_SetItemCountEx(list, static_cast<int>(rows.size()), 0);
    ShowWindow(GetDlgItem(m_hWnd, IDC_LOG_PROGRESS), SW_HIDE);
    if (m_planner.Problems() != 0) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].state == rawfile::RowState::kRefused) {
                ListView_SetItemState(list, static_cast<int>(i), LVIS_SELECTED | LVIS_FOCUSED,
                                      LVIS_SELECTED | LVIS_FOCUSED);
                ListView_EnsureVisible(list, static_cast<int>(i), FALSE);
                break;
            }
        }
        SetStatus(texts::LogProblems(m_planner.Problems(), m_language));
        SetFocus(list);
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
    if (m_phase != Phase::kChecked || m_planner.Problems() != 0) {
        return;
    }
    m_phase = Phase::kSaving;
    EnableWindow(GetDlgItem(m_hWnd, IDC_LOG_SAVE_ALL), FALSE);
    SetDlgItemTextW(m_hWnd, IDCANCEL, W(texts::LogCancel(m_language)).c_str());
    ShowWindow(GetDlgItem(m_hWnd, IDC_LOG_PROGRESS), SW_SHOW);
    SetProgress(0, m_planner.Rows().size());
    SetTimer(m_hWnd, kStepTimer, 1, nullptr);
}

void CFieldLogDlg::FinishSave(const std::u16string& recordProblem) {
    KillTimer(m_hWnd, kStepTimer);
    m_phase = Phase::kDone;
    std::size_t saved = 0;
    std::size_t failed = 0;
    for (const rawfile::RowPlan& row : m_planner.Rows()) {
        saved += row.state == rawfile::RowState::kSaved ? 1 : 0;
        failed += row.state == rawfile::RowState::kFailed ? 1 : 0;
    }
    const bool cancelled = m_planner.Next() < m_planner.Rows().size();
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
    return false;
}

// Enter saves only through the button; it never closes the window by surprise.
void CFieldLogDlg::OnOK() {}

// Cancel stops the work between groups; once nothing runs, it closes the window.
void CFieldLogDlg::OnCancel() {
    if (m_phase == Phase::kSaving) {
        m_cancel = true;
        return;
    }
    KillTimer(m_hWnd, kStepTimer);
    CDialog::OnCancel();
}

bool CFieldLogDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_TIMER:
            if (wParam == kStepTimer) {
                Step();
                return true;
            }
            return false;
        case WM_SIZE:
            Layout();
            return true;
        case WM_GETMINMAXINFO: {
            RECT least{0, 0, 260, 120};
            MapDialogRect(m_hWnd, &least);
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize.x = least.right;
            info->ptMinTrackSize.y = least.bottom;
            return true;
        }
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->idFrom != IDC_LOG_LIST || header->code != LVN_GETDISPINFOW) {
                return false;
            }
            LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
            if ((item.mask & LVIF_TEXT) != 0 && item.iItem >= 0 &&
                static_cast<std::size_t>(item.iItem) < m_planner.Rows().size()) {
                m_cell = CellText(static_cast<std::size_t>(item.iItem), item.iSubItem);
                lstrcpynW(item.pszText, m_cell.c_str(), item.cchTextMax);
            }
            return true;
        }
        default:
            return false;
    }
}

std::wstring CFieldLogDlg::CellText(std::size_t index, int column) const {
    const rawfile::PlanItem& item = m_planner.Items()[index];
    const rawfile::RowPlan& row = m_planner.Rows()[index];
    const rawfile::LogRow& logRow = m_log.rows[index];
    const bool known = !row.path.empty();  // the file was loaded
    switch (column) {
        case 0:
            return W(rawfile::WholeNumberText(static_cast<long long>(item.row)));
        case 1:
            return W(item.path.compare(0, m_logFolder.size(), m_logFolder) == 0
                         ? item.path.substr(m_logFolder.size())
                         : item.path);
        case 2: {
            const std::u16string next =
                row.state == rawfile::RowState::kWillSave || row.state == rawfile::RowState::kSaved
                    ? row.outcome.plan.pointName
                    : item.pointName.value_or(u"");
            return W(known ? Change(row.oldPoint, next) : next);
        }
        case 3: {
            const bool saves =
                row.state == rawfile::RowState::kWillSave || row.state == rawfile::RowState::kSaved;
            const std::u16string next = saves ? rawfile::BytesToText(row.outcome.plan.height.text)
                                              : item.height.value_or(u"");
            std::u16string text = known ? Change(row.oldHeight, next) : next;
            const std::u16string readings = texts::LogReadings(logRow.given, m_language);
            if (!readings.empty()) {
                text += (text.empty() ? u"(" : u" (") + readings + u")";
            }
            return W(text);
        }
        default:
            if (row.state != rawfile::RowState::kRefused) {
                return W(texts::LogState(row, m_language));
            }
            return W(texts::LogRefusal(row, item, m_planner.Items()[row.other].row, m_language));
    }
}

void CFieldLogDlg::SetStatus(const std::u16string& text) {
    SetDlgItemTextW(m_hWnd, IDC_LOG_STATUS, W(text).c_str());
}

void CFieldLogDlg::SetProgress(std::size_t done, std::size_t total) {
    const HWND bar = GetDlgItem(m_hWnd, IDC_LOG_PROGRESS);
    SendMessageW(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(total == 0 ? 1 : total));
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(done), 0);
}

// The list fills the window; the line, the bar and the buttons keep to its bottom, laid out in
// dialog units so that they follow the DPI.
void CFieldLogDlg::Layout() {
    RECT client;
    GetClientRect(m_hWnd, &client);
    RECT u{7, 16, 60, 10};  // margin, button height, button width, line height
    MapDialogRect(m_hWnd, &u);
    const int margin = u.left;
    const int buttonH = u.top;
    const int buttonW = u.right;
    const int lineH = u.bottom;
    const int width = client.right - 2 * margin;
    const int buttonsY = client.bottom - margin - buttonH;
    const int lineY = buttonsY - margin / 2 - lineH;
    const auto place = [this](int id, int x, int y, int w, int h) {
        SetWindowPos(GetDlgItem(m_hWnd, id), nullptr, x, y, w < 0 ? 0 : w, h < 0 ? 0 : h,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(IDC_LOG_LIST, margin, margin, width, lineY - margin - margin / 2);
    place(IDC_LOG_STATUS, margin, lineY, width, lineH);
    place(IDCANCEL, client.right - margin - buttonW, buttonsY, buttonW, buttonH);
    place(IDC_LOG_SAVE_ALL, client.right - 2 * (margin + buttonW) + margin / 2 + margin / 2,
          buttonsY, buttonW, buttonH);
    place(IDC_LOG_PROGRESS, margin, buttonsY + buttonH / 4, client.right - 3 * margin - 2 * buttonW,
          buttonH / 2);
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

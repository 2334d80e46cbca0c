// The field-log window: every row of a log, checked as rvxedit apply checks it, and saved all
// together or not at all. Reading, checking and saving run on a worker thread; the window shows
// each row as soon as it is checked, keeps painting, and hears Cancel at once.
#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "dialog.h"
#include "log_plan.h"
#include "log_reader.h"
#include "messages.h"

class CFieldLogDlg : public CDialog {
public:
    static constexpr int kColumns = 5;

    CFieldLogDlg(const std::wstring& logPath, texts::Language language, HWND parent);
    // Stops the worker and waits for it.
    ~CFieldLogDlg() override;

    // The rows as the window left them (saved ones with their new paths); once it is closed.
    const std::vector<rawfile::RowPlan>& Rows() const { return m_planner.Rows(); }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code) override;
    void OnOK() override;
    void OnCancel() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    enum class Phase { kReading, kChecking, kChecked, kSaving, kSaved };
    // What the window does once the worker has stopped.
    enum class AfterWork { kNothing, kClose, kReadAgain };

    // A row as the window shows it: the planner's row as the worker last published it, and the
    // name of the file a clash is about as the disk spells it.
    struct ShownRow {
        rawfile::RowPlan plan;
        std::u16string otherName;
    };

    // What the worker hands the window; guarded by m_lock. The log and the items are written
    // once, before `read` and `started` are set, and not changed again while the worker runs:
    // once `read` is seen, the window's thread may read the log without the lock.
    struct Shared {
        bool read = false;     // `log` holds the log
        bool started = false;  // `items` and `rows` are sized
        bool done = false;     // the worker has finished its run
        rawfile::FieldLog log;
        std::vector<rawfile::PlanItem> items;
        std::vector<ShownRow> rows;
        std::size_t checked = 0;    // rows [0, checked) are checked and published
        std::size_t saved = 0;      // rows [0, saved) are saved (or stepped past)
        std::size_t dirtyFrom = 0;  // rows published since the window last looked
        std::size_t dirtyTo = 0;
        std::u16string recordProblem;  // why the change record could not be written
        bool recordHeld = false;       // because another program holds it
    };

    // The worker's side.
    void StartWork(bool save);
    void StopWork();
    void ReadAndCheck(rawfile::TextEncoding encoding);
    void SaveAll();
    // Copies rows [from, to) of the planner to the window's side and tells the window.
    void Publish(std::size_t from, std::size_t to);
    void Notify();

    // The window's side.
    void TakeProgress();
    void ShowRead(const rawfile::FieldLog& log);
    void FinishCheck();
    void FinishSave(const std::u16string& recordProblem);
    void StopForHeldRecord(const std::u16string& message);
    void StartSave();
    void ReadAgain();
    void Layout();
    void FitColumns();
    void ColumnsResized(int column);
    void LoadColumnWidths();
    void SaveColumnWidths() const;
    void ShowDetail();
    void SetStatus(const std::u16string& text);
    void SetProgress(std::size_t done, std::size_t total);
    void SetBusy(bool busy);

    // The cells of the list, one function each; the caller holds m_lock.
    std::u16string CellText(std::size_t index, int column) const;
    std::u16string FileCell(std::size_t index) const;
    std::u16string PointCell(std::size_t index) const;
    std::u16string HeightCell(std::size_t index) const;
    std::u16string StateCell(std::size_t index) const;

    std::wstring m_logPath;
    texts::Language m_language;
    std::u16string m_logFolder;
    rawfile::TextEncoding m_encoding = rawfile::TextEncoding::kAuto;

    // The worker's own: touched by the window's thread only while no worker runs.
    rawfile::LogPlanner m_planner;
    rawfile::ChangeRecordWriter m_record;
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_notified{false};  // a progress message is on its way to the window

    mutable std::mutex m_lock;
    Shared m_shared;

    // The window's own.
    Phase m_phase = Phase::kReading;
    AfterWork m_after = AfterWork::kNothing;
    bool m_cancel = false;
    std::u16string m_recordHeld;       // why the rows still to save were not: the record is held
    std::size_t m_listed = 0;          // the rows the list shows
    int m_columnUnits[kColumns] = {};  // each column's width in dialog units
    int m_fittedWidth = -1;            // the list width the columns were last fitted to
    bool m_fitting = false;            // the window itself is setting the widths
    bool m_refitPosted = false;
    bool m_columnsSet = false;  // the user resized a column in this window
    std::wstring m_cell;        // the text handed to the list view last
};

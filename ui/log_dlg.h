// The field-log window: every row of a log, checked as rvxedit apply checks it, and saved all
// together or not at all. The work goes in steps from a timer, so the window keeps painting
// and Cancel is heard between groups.
#pragma once

#include <string>
#include <vector>

#include "dialog.h"
#include "log_plan.h"
#include "log_reader.h"
#include "messages.h"

class CFieldLogDlg : public CDialog {
public:
    CFieldLogDlg(const std::wstring& logPath, texts::Language language, HWND parent);

    // The rows as the window left them (saved ones with their new paths).
    const std::vector<rawfile::RowPlan>& Rows() const { return m_planner.Rows(); }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code) override;
    void OnOK() override;
    void OnCancel() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    enum class Phase { kChecking, kChecked, kSaving, kDone };

    void Step();
    void FinishCheck();
    void FinishSave(const std::u16string& recordProblem);
    void StopForHeldRecord(const std::u16string& message);
    void StartSave();
    void Layout();
    void SetStatus(const std::u16string& text);
    void SetProgress(std::size_t done, std::size_t total);
    // The text of the list's cell, for the virtual list view.
    std::wstring CellText(std::size_t index, int column) const;

    std::wstring m_logPath;
    texts::Language m_language;
    rawfile::FieldLog m_log;
    rawfile::LogPlanner m_planner;
    rawfile::ChangeRecordWriter m_record;
    Phase m_phase = Phase::kChecking;
    bool m_cancel = false;
    std::u16string m_recordHeld;  // why the rows still to save were not: the record is held
    std::wstring m_cell;          // the text handed to the list view last
    std::u16string m_logFolder;
};

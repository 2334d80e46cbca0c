// The editor dialog: shows the current raw file's path, point name and antenna height, and
// loads, saves, views and imports raw files through the portable core.
#pragma once

#include <string>
#include <vector>

#include "dialog.h"
#include "dpi.h"
#include "editing.h"
#include "message_box.h"
#include "messages.h"
#include "path_field.h"
#include "record_file.h"

class CRVXDlg : public CDialog {
public:
    // The dialog for the raw file at `path` (empty: none), loaded when the dialog opens.
    explicit CRVXDlg(const std::wstring& path, HWND parent = nullptr);

    // Work that need not delay the dialog's first appearance (the file type's registration): it
    // runs once the dialog has shown and painted, or at the latest as it closes.
    void SetAfterShown(void (*work)()) { m_afterShown = work; }

    // Loads the header of the file at m_strPath and shows its values; a failure shows its
    // message and leaves the controls showing the previous file.
    void LoadRawFile();

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    bool OnCommand(int id, int code) override;
    bool OnSysCommand(UINT id, LPARAM lParam) override;
    bool OnPaint() override;
    HCURSOR OnQueryDragIcon() override;
    void OnDropFiles(const std::vector<std::wstring>& paths) override;
    void OnDpiChanged(UINT dpi) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Exit, Enter, Escape, the close box and Alt+F4 first ask about unsaved fields, as do
    // import and a drop.
    void OnOK() override;
    void OnCancel() override;

private:
    void OnImport();
    // True when nothing typed is left unsaved: the fields were saved, or would change nothing.
    bool OnSave();
    // Opens the field-log window on `logPath`, then shows the file shown before as it is now.
    void OpenFieldLog(const std::wstring& logPath);
    void OnView();
    void OnChinese();
    void OnEnglish();
    void ChooseLanguage(int value, const wchar_t* notice);

    // The point name a save and the question about unsaved fields take from the field.
    std::u16string FieldPointName() const;
    // False when the user, asked about a height that looks like millimetres, goes back to it.
    bool ConfirmHeight(const std::u16string& height);
    void ShowEditorValues();
    void ReportSaveFailure(const rawfile::SaveOutcome& outcome);
    void ReportRecordFailure(rawfile::RecordPlace place, const rawfile::FileError& error);
    std::wstring ReasonText(const rawfile::FileError& error) const;
    // True when the fields may be left (the dialog ends or another file loads): they hold what
    // the file holds, or the user saved them or chose to give them up.
    bool MayLeaveFields();
    // Shows `path` in the path field (pushed with the next UpdateData(false)).
    void SetShownPath(const std::wstring& path);
    // The path field's context menu at `screen` (keyboard: -1, -1, shown below the field).
    void ShowPathMenu(POINT screen);
    void Show(const std::u16string& text, MessageIcon icon);
    // The big icon and the path's tooltip (while `showing`) and the caller's work, once (see
    // SetAfterShown).
    void AfterShown(bool showing);
    // The window's icons at `dpi`: before AfterShown, only the small one.
    void SetIcons(UINT dpi);

    // The window's icons at the sizes of its DPI; m_hIcon is their big one.
    CWindowIcons m_icons;
    HICON m_hIcon = nullptr;
    // The language of the messages: that of the interface (English when the language library
    // was loaded).
    const texts::Language m_language;
    CPathField m_pathField;
    std::wstring m_strPath;
    // The loaded file, and the point name and height text a save compares the fields against.
    rawfile::RawFileEditor m_editor;
    std::wstring m_strAntHigh;
    std::wstring m_strPointName;
    std::wstring m_strShownPath;
    // The field log the program was started on, opened once the editor shows.
    std::wstring m_logToOpen;
    void (*m_afterShown)() = nullptr;
    bool m_shown = false;  // AfterShown has run
};

// The editor dialog: shows the current raw file's path, point name and antenna height, and
// loads, saves, views and imports raw files through the portable core.
#pragma once

#include <string>
#include <vector>

#include "dialog.h"
#include "dpi.h"
#include "editing.h"

class CRVXDlg : public CDialog {
public:
    // The dialog for the raw file at `path` (empty: none), loaded when the dialog opens.
    explicit CRVXDlg(const std::wstring& path, HWND parent = nullptr);

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

private:
    void OnImport();
    void OnSave();
    void OnView();
    void OnChinese();
    void OnEnglish();
    void ChooseLanguage(int value, const wchar_t* notice);

    void ShowEditorValues();
    void ReportSaveFailure(const rawfile::SaveOutcome& outcome);

    // The window's icons at the sizes of its DPI; m_hIcon is their big one.
    CWindowIcons m_icons;
    HICON m_hIcon = nullptr;
    std::wstring m_strPath;
    // The loaded file, and the point name and height text a save compares the fields against.
    rawfile::RawFileEditor m_editor;
    std::wstring m_strAntHigh;
    std::wstring m_strPointName;
    std::wstring m_strShownPath;
};

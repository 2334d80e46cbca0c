// The editor dialog: shows the current raw file's path, point name and antenna height, and
// loads, saves, views and imports raw files through the portable core.
#pragma once

#include <string>

#include "dialog.h"
#include "header_block.h"

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

private:
    void OnImport();
    void OnSave();
    void OnView();
    void OnChinese();
    void OnEnglish();
    void ChooseLanguage(int value, const wchar_t* notice);

    HICON m_hIcon;
    std::wstring m_strFolder;
    std::wstring m_strFileName;
    std::wstring m_strSuffix;
    std::wstring m_strNewPath;
    std::wstring m_strPath;
    // Version, serial, date, model line and height of the last successful load or save.
    rawfile::HeaderValues m_header;
    bool m_bLoaded = false;
    std::wstring m_strAntHigh;
    std::wstring m_strPointName;
    std::wstring m_strOldPointName;
    std::wstring m_strOldAntHigh;
    std::wstring m_strShownPath;
};

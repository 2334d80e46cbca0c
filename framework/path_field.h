// A static control that shows a file's path. A path too long for the control loses its middle
// to an ellipsis, as Explorer shows it: the start, the last folders and the file name stay
// visible. The whole path is in a tooltip on the control.
#pragma once

#include <windows.h>

#include <string>

class CPathField {
public:
    // Takes control `id` of `dialog`.
    void Attach(HWND dialog, int id);
    // Gives the control its tooltip with the whole path (the control needs SS_NOTIFY for it to
    // see the mouse); once. The tooltip belongs to the dialog and ends with it.
    void AddTooltip();
    // Makes `path` the one shown (the tooltip follows) and returns the text that shows it in the
    // control at its present size and font.
    std::wstring Show(const std::wstring& path);
    // The text for the path shown, again for the control's present size and font.
    std::wstring Refit() const;
    // The whole path shown; empty when none.
    const std::wstring& Path() const { return path_; }
    HWND Control() const { return control_; }

private:
    HWND dialog_ = nullptr;
    HWND control_ = nullptr;
    HWND tooltip_ = nullptr;
    std::wstring path_;
};

// Puts `text` on the clipboard as Unicode text, for `owner`; false when the clipboard is busy.
bool CopyToClipboard(HWND owner, const std::wstring& text);

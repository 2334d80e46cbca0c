// The shell32 functions the programs call, with shell32 loaded at the first of them instead of
// at every start: importing it costs each start a library (and, under Wine, two more that it
// brings along) that most runs never use.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

// ShellExecuteW. Null when shell32 cannot be loaded (32 or less is a failure either way).
HINSTANCE AfxShellExecute(HWND owner, const wchar_t* verb, const wchar_t* file,
                          const wchar_t* parameters, const wchar_t* directory, int show);

// SHCreateItemFromParsingName. E_NOINTERFACE when shell32 cannot be loaded.
HRESULT AfxCreateItemFromParsingName(const wchar_t* path, IBindCtx* bind, REFIID iid, void** item);

// DragQueryFileW. 0 when shell32 cannot be loaded.
UINT AfxDragQueryFile(HDROP drop, UINT index, wchar_t* buffer, UINT size);

// DragFinish.
void AfxDragFinish(HDROP drop);

// What DragAcceptFiles(window, TRUE) does, without shell32: the window takes the extended style
// WS_EX_ACCEPTFILES, which is what makes the shell send it WM_DROPFILES.
void AfxDragAcceptFiles(HWND window);

// The application: start-up, the interface language and exit.
#pragma once

#include "win_app.h"

class CRVXApp : public CWinApp {
public:
    // Prepares the program, runs the editor dialog and returns false (the program then ends).
    BOOL InitInstance() override;
    // Frees the language library; returns the exit code.
    int ExitInstance() override;

private:
    HMODULE m_hLangDll = nullptr;
};

// The program's entry point: hands the run to the application object.
#include "win_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return 1;
    }
    return app->Run(instance, commandLine);
}

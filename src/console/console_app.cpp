// The program: the application object, the console's port, and the entry point.
#include <windows.h>
#include <commctrl.h>

#include "com_port.h"
#include "console_window.h"

// Starts the program and ends it: the console runs as a modal dialog, and
// when it closes there is nothing left to do.
class CConsoleApp {
public:
    bool InitInstance();
};

bool CConsoleApp::InitInstance() {
    // The themed common controls that the manifest asks for.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    RunConsoleWindow(GetModuleHandleW(nullptr), g_comm);
    // No message loop of our own follows: the program ends here, and g_comm
    // closes a port still open when it is destroyed at exit.
    return false;
}

// Constructed in this order, the application first. The port's constructor
// creates its events; its destructor closes the port.
CConsoleApp g_app;
CComPort g_comm;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    g_app.InitInstance();
    return 0;
}

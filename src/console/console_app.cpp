// The program: the application object, the console's port, and the entry point.
#include <windows.h>
#include <commctrl.h>

#include "com_port.h"
#include "console_window.h"
#include "dialog_host.h"

// Starts the program and runs it: the console is shown, then the program's
// message loop runs every window until the console closes.
class CConsoleApp {
public:
    bool InitInstance();
    int Run();
};

bool CConsoleApp::InitInstance() {
    // The themed common controls that the manifest asks for.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    return CreateConsoleWindow(GetModuleHandleW(nullptr), g_comm) != nullptr;
}

// When the loop ends, so does the program: g_comm closes a port still open
// when it is destroyed at exit.
int CConsoleApp::Run() { return RunMessageLoop(); }

// Constructed in this order, the application first. The port's constructor
// creates its events; its destructor closes the port.
CConsoleApp g_app;
CComPort g_comm;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (!g_app.InitInstance()) return 1;
    return g_app.Run();
}

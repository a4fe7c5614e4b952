// The program's entry: the application object, made by the program, does the rest.

#include "wide_win.h"
#include "winapp_win.h"

#include <new>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int)
{
    try {
        // No critical-error box and no open-file error box on this process's behalf.
        SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        CWinApp* app = CWinApp::Current();
        if (!app) {
            return -1;
        }
        app->InitApplication(instance, arguments);
        app->InitInstance();
        return app->ExitInstance();
    } catch (const CException& failure) {
        const CString text = failure.GetErrorMessage();
        AppMessageBox(text.IsEmpty() ? CString(u"Internal application error.") : text, MB_OK | MB_ICONSTOP);
    } catch (const std::bad_alloc&) {
        MessageBoxW(nullptr, L"Out of memory.", nullptr, MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
    } catch (...) {
        AppMessageBox(u"Internal application error.", MB_OK | MB_ICONSTOP);
    }
    return -1;
}

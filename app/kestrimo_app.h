#pragma once

#include "classlib/winapp_win.h"

// The application: prepares the class library and the common controls, then
// runs the main window until the user closes it.
class CKestrimoApp : public CWinApp {
public:
    CKestrimoApp() noexcept;
    ~CKestrimoApp() override;

    BOOL InitInstance() override;

protected:
    const MessageMap& GetMessageMap() const override;
};

#pragma once

#include "classlib/cstring.h"
#include "classlib/dialog_win.h"

#include <windows.h>

// Where the icon of the minimised window goes: centred in `client`, the halves
// rounded as signed integer division does (toward zero).
POINT MinimisedIconPosition(const RECT& client, int iconWidth, int iconHeight) noexcept;

// The main window. Files dropped on it are converted into the output folder,
// which the first drop asks for and the window remembers for the rest of the run.
class CKestrimoDlg : public CDialog {
public:
    CKestrimoDlg();
    ~CKestrimoDlg() override;

protected:
    const MessageMap& GetMessageMap() const override;
    BOOL OnInitDialog() override;

    void OnPaint();
    void OnDropFiles(HDROP drop);
    HCURSOR OnQueryDragIcon();

private:
    HICON m_hIcon;  // shared: never destroyed
    CString m_strOutputFolder;
    bool m_bHandlingDrop = false;
};

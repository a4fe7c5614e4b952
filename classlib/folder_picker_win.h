#pragma once

#include "cstring.h"

#include <windows.h>

// The system's item dialog, set to pick one folder of the file system. It keeps
// the system's own title and start folder; its name box starts with a text.
class CFolderPickerDialog {
public:
    CFolderPickerDialog(const CString& entryText, HWND owner);

    // Shows the dialog modally: IDOK or IDCANCEL; -1 when it cannot be shown.
    INT_PTR DoModal();
    // After IDOK: the folder chosen as a file-system path; empty when the choice
    // has none.
    const CString& GetFolderPath() const noexcept { return m_folderPath; }

private:
    CString m_entryText;
    HWND m_owner;
    CString m_folderPath;
};

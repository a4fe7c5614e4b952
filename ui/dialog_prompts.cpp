#include "dialog_prompts.h"

#include "classlib/folder_picker_win.h"
#include "classlib/winapp_win.h"

bool DialogPrompts::ChooseFolder(const CString& entryText, CString& folder)
{
    CFolderPickerDialog picker(entryText, m_owner);
    if (picker.DoModal() != IDOK) {
        return false;
    }
    folder = picker.GetFolderPath();
    return true;
}

void DialogPrompts::ShowMessage(const CString& text)
{
    AppMessageBox(text, MB_OK);
}

bool DialogPrompts::AskYesNo(const CString& question)
{
    return AppMessageBox(question, MB_YESNO) == IDYES;
}

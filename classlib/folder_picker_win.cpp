#include "folder_picker_win.h"

#include "com_win.h"
#include "wide_win.h"

#include <shobjidl.h>

CFolderPickerDialog::CFolderPickerDialog(const CString& entryText, HWND owner)
    : m_entryText(entryText), m_owner(owner)
{
}

INT_PTR CFolderPickerDialog::DoModal()
{
    const ComApartment apartment;
    ComPtr<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                dialog.ReceiveVoid()))) {
        return -1;
    }
    FILEOPENDIALOGOPTIONS options = 0;
    if (FAILED(dialog->GetOptions(&options)) ||
        FAILED(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM)) ||
        FAILED(dialog->SetFileName(WideText(m_entryText)))) {
        return -1;
    }
    const HRESULT shown = dialog->Show(m_owner);
    if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) {
        return IDCANCEL;
    }
    if (FAILED(shown)) {
        return -1;
    }
    m_folderPath = CString();
    ComPtr<IShellItem> folder;
    CoTaskMemText path;
    if (SUCCEEDED(dialog->GetResult(folder.Receive())) &&
        SUCCEEDED(folder->GetDisplayName(SIGDN_FILESYSPATH, path.Receive()))) {
        m_folderPath = FromWide(path.Get());
    }
    return IDOK;
}

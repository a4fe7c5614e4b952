#pragma once

#include "xer/convert_drop.h"

#include <windows.h>

// The conversion's questions and messages as the program's own boxes: the folder
// picker owned by `owner`, and the application message box.
class DialogPrompts : public Prompts {
public:
    explicit DialogPrompts(HWND owner) noexcept : m_owner(owner) {}

    bool ChooseFolder(const CString& entryText, CString& folder) override;
    void ShowMessage(const CString& text) override;
    bool AskYesNo(const CString& question) override;

private:
    HWND m_owner;
};

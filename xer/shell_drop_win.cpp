#include "shell_drop_win.h"

#include <vector>

unsigned ShellDrop::Count()
{
    return m_drop ? DragQueryFileW(m_drop, 0xFFFFFFFF, nullptr, 0) : 0;
}

CString ShellDrop::Path(unsigned index)
{
    // Ask for the length first: a dropped path has no fixed limit.
    const UINT length = DragQueryFileW(m_drop, index, nullptr, 0);
    std::vector<char16_t> path(length + 1);
    DragQueryFileW(m_drop, index, reinterpret_cast<wchar_t*>(path.data()), length + 1);
    return CString(path.data());
}

void ShellDrop::Release() noexcept
{
    if (m_drop) {
        DragFinish(m_drop);
        m_drop = nullptr;
    }
}

#pragma once

#include "convert_drop.h"

#include <windows.h>
#include <shellapi.h>

// The shell's drop handle as the files of one drop. Owns the handle: released
// with DragFinish exactly once, at the latest on destruction.
class ShellDrop : public DroppedPaths {
public:
    explicit ShellDrop(HDROP drop) noexcept : m_drop(drop) {}
    ShellDrop(const ShellDrop&) = delete;
    ShellDrop& operator=(const ShellDrop&) = delete;
    ~ShellDrop() override { Release(); }

    unsigned Count() override;
    CString Path(unsigned index) override;
    void Release() noexcept override;

private:
    HDROP m_drop;
};

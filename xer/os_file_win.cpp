// File services on Windows.
#include "os_file.h"

#include "classlib/wide_win.h"

#include <windows.h>
#include <shlwapi.h>

#include <utility>

namespace {

// The root of an absolute path: "C:\" for "C:\dir\file".
CString VolumeRoot(const CString& absolute)
{
    wchar_t root[kMaxPath];
    lstrcpynW(root, WideText(absolute), kMaxPath);
    PathStripToRootW(root);
    CString result = FromWide(root);
    if (result.GetLength() != 0 && result[result.GetLength() - 1] != u'\\') {
        result += u"\\";
    }
    return result;
}

}  // namespace

bool SettleFullPath(const CString& path, CString& fullPath)
{
    if (path.GetLength() >= kMaxPath) {
        return false;
    }
    wchar_t absolute[kMaxPath];
    wchar_t* namePart = nullptr;
    const DWORD length = GetFullPathNameW(WideText(path), kMaxPath, absolute, &namePart);
    if (length == 0 || length >= kMaxPath) {
        return false;
    }
    CString settled = FromWide(absolute);
    if (!PathIsUNCW(absolute)) {
        DWORD flags = 0;
        if (!GetVolumeInformationW(WideText(VolumeRoot(settled)), nullptr, 0, nullptr, nullptr, &flags, nullptr,
                                   0)) {
            return false;
        }
        if (!(flags & FILE_CASE_PRESERVED_NAMES)) {
            CharUpperW(absolute);
            settled = FromWide(absolute);
        }
        if (!(flags & FILE_UNICODE_ON_DISK)) {
            // Take the name as the volume stores it.
            WIN32_FIND_DATAW found;
            const HANDLE search = FindFirstFileW(WideText(path), &found);
            if (search != INVALID_HANDLE_VALUE) {
                FindClose(search);
                const CString directory(settled.GetString(), settled.GetLength() - FindFileName(settled).GetLength());
                settled = directory + FromWide(found.cFileName);
                if (settled.GetLength() >= kMaxPath) {
                    return false;
                }
            }
        }
    }
    fullPath = std::move(settled);
    return true;
}

CString FindFileName(const CString& path)
{
    const wchar_t* whole = WideText(path);
    const wchar_t* name = PathFindFileNameW(whole);
    const std::size_t start = static_cast<std::size_t>(name - whole);
    return CString(path.GetString() + start, path.GetLength() - start);
}

bool PathExists(const CString& path)
{
    CString fullPath;
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    return SettleFullPath(path, fullPath) &&
           GetFileAttributesExW(WideText(fullPath), GetFileExInfoStandard, &attributes);
}

bool RemoveFile(const CString& path)
{
    return DeleteFileW(WideText(path));
}

bool OsFile::Open(const CString& fullPath, OpenMode mode)
{
    if (IsOpen()) {
        return false;
    }
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    const DWORD access = mode == OpenMode::Read ? GENERIC_READ : GENERIC_WRITE;
    const DWORD disposition = mode == OpenMode::Create ? CREATE_ALWAYS : OPEN_EXISTING;
    const HANDLE handle =
        CreateFileW(WideText(fullPath), access, 0, &inheritable, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        m_lastError = static_cast<long>(GetLastError());
        return false;
    }
    if (mode == OpenMode::Replace && !SetEndOfFile(handle)) {
        m_lastError = static_cast<long>(GetLastError());
        CloseHandle(handle);
        return false;
    }
    m_handle = handle;
    return true;
}

bool OsFile::Read(void* buffer, std::size_t size, std::size_t& got)
{
    DWORD read = 0;
    if (!ReadFile(m_handle, buffer, static_cast<DWORD>(size), &read, nullptr)) {
        m_lastError = static_cast<long>(GetLastError());
        return false;
    }
    got = read;
    return true;
}

bool OsFile::Write(const void* data, std::size_t size)
{
    DWORD written = 0;
    if (!WriteFile(m_handle, data, static_cast<DWORD>(size), &written, nullptr)) {
        m_lastError = static_cast<long>(GetLastError());
        return false;
    }
    if (written != size) {
        m_lastError = ERROR_DISK_FULL;
        return false;
    }
    return true;
}

bool OsFile::Close() noexcept
{
    if (!IsOpen()) {
        return true;
    }
    const BOOL closed = CloseHandle(m_handle);
    m_handle = kInvalid;
    if (!closed) {
        m_lastError = static_cast<long>(GetLastError());
        return false;
    }
    return true;
}

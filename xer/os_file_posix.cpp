// File services on POSIX systems, for the native build and its tests.
//
// Windows opens these files with no sharing at all. POSIX has no such open; the
// nearest is an exclusive, non-blocking flock() taken right after open(): two
// Kestrimo processes, or any program that locks, exclude each other, but a
// program that never locks can still open the file. Permission bits stand in for
// the read-only attribute, which root overrides.
#include "os_file.h"

#include "classlib/utf8.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

std::string NativePath(const CString& path)
{
    return ToUtf8(path);
}

// "." and empty components dropped, ".." taken back, as Windows settles a path.
CString Normalise(const CString& absolute)
{
    std::vector<CString> parts;
    const std::size_t n = absolute.GetLength();
    std::size_t start = 0;
    while (start <= n) {
        std::size_t end = start;
        while (end < n && absolute[end] != u'/') {
            ++end;
        }
        const CString part(absolute.GetString() + start, end - start);
        if (part == u"..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.IsEmpty() && part != u".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    CString result;
    for (const CString& part : parts) {
        result += u"/";
        result += part;
    }
    if (result.IsEmpty() || (n != 0 && absolute[n - 1] == u'/')) {
        result += u"/";  // the root, or a path that names a folder by its trailing separator
    }
    return result;
}

}  // namespace

bool SettleFullPath(const CString& path, CString& fullPath)
{
    if (path.GetLength() >= kMaxPath || path.IsEmpty()) {
        return false;
    }
    CString absolute;
    if (path[0] == u'/') {
        absolute = path;
    } else {
        std::vector<char> cwd(4096);
        while (!getcwd(cwd.data(), cwd.size())) {
            if (errno != ERANGE) {
                return false;
            }
            cwd.resize(cwd.size() * 2);
        }
        absolute = FromUtf8(cwd.data()) + u"/" + path;
    }
    CString settled = Normalise(absolute);
    if (settled.GetLength() >= kMaxPath) {
        return false;
    }
    fullPath = std::move(settled);
    return true;
}

CString FindFileName(const CString& path)
{
    std::size_t start = path.GetLength();
    while (start > 0 && path[start - 1] != kPathSeparator) {
        --start;
    }
    return CString(path.GetString() + start, path.GetLength() - start);
}

bool PathExists(const CString& path)
{
    CString fullPath;
    struct stat status;
    return SettleFullPath(path, fullPath) && stat(NativePath(fullPath).c_str(), &status) == 0;
}

bool RemoveFile(const CString& path)
{
    return unlink(NativePath(path).c_str()) == 0;
}

bool OsFile::Open(const CString& fullPath, OpenMode mode)
{
    if (IsOpen()) {
        return false;
    }
    const std::string native = NativePath(fullPath);
    int flags = O_CLOEXEC;
    switch (mode) {
    case OpenMode::Read:
        flags |= O_RDONLY;
        break;
    case OpenMode::Create:
        flags |= O_WRONLY | O_CREAT;
        break;
    case OpenMode::Replace:
        flags |= O_WRONLY;
        break;
    }
    const int fd = open(native.c_str(), flags, 0666);
    if (fd < 0) {
        m_lastError = errno;
        return false;
    }
    struct stat status;
    int error = 0;
    if (fstat(fd, &status) != 0) {
        error = errno;
    } else if (S_ISDIR(status.st_mode)) {
        error = EISDIR;
    } else if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = errno;
    } else if (mode != OpenMode::Read && S_ISREG(status.st_mode) && ftruncate(fd, 0) != 0) {
        error = errno;  // emptied only once the lock is held, so a held file keeps its bytes
    }
    if (error != 0) {
        close(fd);
        m_lastError = error;
        return false;
    }
    m_handle = fd;
    return true;
}

bool OsFile::Read(void* buffer, std::size_t size, std::size_t& got)
{
    for (;;) {
        const ssize_t n = read(m_handle, buffer, size);
        if (n >= 0) {
            got = static_cast<std::size_t>(n);
            return true;
        }
        if (errno != EINTR) {
            m_lastError = errno;
            return false;
        }
    }
}

bool OsFile::Write(const void* data, std::size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    while (size != 0) {
        const ssize_t n = write(m_handle, bytes, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            m_lastError = n < 0 ? errno : ENOSPC;
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool OsFile::Close() noexcept
{
    if (!IsOpen()) {
        return true;
    }
    const int result = close(m_handle);
    m_handle = kInvalid;
    if (result != 0) {
        m_lastError = errno;
        return false;
    }
    return true;
}

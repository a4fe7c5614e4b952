#pragma once

#include "classlib/cstring.h"

#include <cstddef>
#include <cstdint>

// The operating system's file services that text line files and the conversion
// stand on. Implemented once per platform (os_file_win.cpp, os_file_posix.cpp);
// the rest of the cleaning core sees only this header.

// Paths as the platform writes them: what joins a folder and a file name.
#ifdef _WIN32
inline constexpr char16_t kPathSeparator = u'\\';
#else
inline constexpr char16_t kPathSeparator = u'/';
#endif

// Paths of this many characters or more are refused, as passed and made absolute:
// the classic Windows path limit, kept on every platform so that both behave alike.
inline constexpr std::size_t kMaxPath = 260;

enum class OpenMode {
    Read,     // an input; it must exist
    Create,   // a new output; an existing file is emptied
    Replace,  // an existing output; it must exist, and is emptied
};

// Makes `path` absolute and settles it as the file's full path (letter case and
// name as the volume stores them). False when it has kMaxPath characters or
// more, before or after, or cannot be resolved.
bool SettleFullPath(const CString& path, CString& fullPath);

// The characters after the last path separator.
CString FindFileName(const CString& path);

// True when the file system has a file or a folder at `path`. A path of kMaxPath
// characters or more, or one that cannot be resolved, does not exist.
bool PathExists(const CString& path);

// Deletes a file; false when it could not be deleted.
bool RemoveFile(const CString& path);

// The one owner of an open file's handle. Opened exclusively: while it is open,
// no other program can open the file, and it does not open a file that another
// program holds. Move-only; closes on destruction.
class OsFile {
public:
    OsFile() noexcept = default;
    OsFile(const OsFile&) = delete;
    OsFile& operator=(const OsFile&) = delete;
    OsFile(OsFile&& other) noexcept;
    OsFile& operator=(OsFile&& other) noexcept;
    ~OsFile();

    // `fullPath` as settled by SettleFullPath. A folder never opens.
    bool Open(const CString& fullPath, OpenMode mode);
    bool IsOpen() const noexcept;

    // Reads up to `size` bytes; `got` is 0 at the end of the file.
    bool Read(void* buffer, std::size_t size, std::size_t& got);
    // Writes all `size` bytes, or fails.
    bool Write(const void* data, std::size_t size);
    // Releases the handle even when closing it fails.
    bool Close() noexcept;

    // The error number of the last call that failed.
    long LastError() const noexcept { return m_lastError; }

private:
#ifdef _WIN32
    using Native = void*;  // HANDLE
    static inline Native const kInvalid = reinterpret_cast<Native>(static_cast<std::intptr_t>(-1));
#else
    using Native = int;
    static constexpr Native kInvalid = -1;
#endif
    Native m_handle = kInvalid;
    long m_lastError = 0;
};

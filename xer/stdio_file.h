#pragma once

#include "classlib/cstring.h"
#include "os_file.h"
#include "text_loops.h"

#include <cstddef>
#include <memory>

// A text line file: one file opened for reading lines or for writing text.
//
// One byte is one character (U+0000 to U+00FF), whatever the code page. Reading
// splits at LF and drops a CR directly before an LF; writing turns every LF into
// CR LF. Every other byte, NUL and 0x1A included, passes unchanged. The file is
// read and written in blocks of one buffer; nothing is flushed per line.
//
// ReadString raises CFileException::genericException, WriteString and Close
// raise CFileException::diskFull; Open reports failure by its result alone.
class CStdioFile {
public:
    static constexpr std::size_t kBufferSize = 4096;

    // `bufferSize` exists so that tests can move every block boundary.
    explicit CStdioFile(std::size_t bufferSize = kBufferSize);
    CStdioFile(const CStdioFile&) = delete;
    CStdioFile& operator=(const CStdioFile&) = delete;
    // Closes a file that is still open; a failure of that close is reported
    // through the destructor-failure reporter and goes no further.
    ~CStdioFile();

    bool Open(const CString& path, OpenMode mode);

    // The next line, without its line end. False, with `line` empty, at the end
    // of the input; from then on every call returns false.
    bool ReadString(CString& line);

    void WriteString(const char16_t* text);
    void WriteString(const CString& text);

    // Writes what is buffered and closes; the object is closed even when it raises.
    void Close();
    // Closes without writing what is buffered. For an output that is thrown away.
    void Abort() noexcept;

    bool IsOpen() const noexcept { return m_file.IsOpen(); }
    // The absolute path settled by Open; empty before it.
    const CString& GetFilePath() const noexcept { return m_fullPath; }

private:
    void Write(const char16_t* text, std::size_t length);
    void PutByte(unsigned char byte);
    void Flush();
    [[noreturn]] void ThrowWriteError(long osError) const;

    const TextLoops& m_loops;
    OsFile m_file;
    CString m_fullPath;
    std::size_t m_bufferSize;
    std::unique_ptr<unsigned char[]> m_buffer;
    std::size_t m_position = 0;  // reading: next byte; writing: bytes held
    std::size_t m_end = 0;       // reading: bytes in the buffer
    bool m_atEnd = false;
    bool m_writing = false;
};

// Shows the failure of a close that ran in a destructor. The program sets one that
// shows a message box; by default the text goes to the standard error stream.
using DestructorFailureReporter = void (*)(const CString& message);
void SetDestructorFailureReporter(DestructorFailureReporter reporter);

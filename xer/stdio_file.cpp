#include "stdio_file.h"

#include "classlib/utf8.h"
#include "file_exception.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

void ReportToStandardError(const CString& message)
{
    std::fprintf(stderr, "%s\n", ToUtf8(message).c_str());
}

DestructorFailureReporter g_reportDestructorFailure = ReportToStandardError;

// The file part of a path as the compiler wrote it, whichever separator it used.
const char16_t* SourceFileName(const char16_t* path)
{
    const char16_t* name = path;
    for (const char16_t* p = path; *p != u'\0'; ++p) {
        if (*p == u'/' || *p == u'\\') {
            name = p + 1;
        }
    }
    return name;
}

}  // namespace

void SetDestructorFailureReporter(DestructorFailureReporter reporter)
{
    g_reportDestructorFailure = reporter ? reporter : ReportToStandardError;
}

CStdioFile::CStdioFile(std::size_t bufferSize)
    : m_loops(ChosenTextLoops()), m_bufferSize(bufferSize == 0 ? 1 : bufferSize),
      m_buffer(new unsigned char[m_bufferSize])
{
}

CStdioFile::~CStdioFile()
{
    if (!IsOpen()) {
        return;
    }
    try {
        Close();
    } catch (const CFileException& error) {
        CString location;
        location.Format(u"%s:%d", SourceFileName(u"" __FILE__), __LINE__);
        g_reportDestructorFailure(u"Exception thrown in destructor (" + location + u")\n" + error.GetErrorMessage());
    }
}

bool CStdioFile::Open(const CString& path, OpenMode mode)
{
    CString fullPath;
    if (IsOpen() || !SettleFullPath(path, fullPath)) {
        return false;
    }
    m_fullPath = std::move(fullPath);
    if (!m_file.Open(m_fullPath, mode)) {
        return false;
    }
    m_writing = mode != OpenMode::Read;
    m_position = m_end = 0;
    m_atEnd = false;
    return true;
}

bool CStdioFile::ReadString(CString& line)
{
    line.Empty();
    bool delivered = false;
    while (!m_atEnd) {
        if (m_position == m_end) {
            std::size_t got = 0;
            if (!m_file.Read(m_buffer.get(), m_bufferSize, got)) {
                throw CFileException(CFileException::genericException, m_file.LastError(), m_fullPath);
            }
            m_position = 0;
            m_end = got;
            if (got == 0) {
                m_atEnd = true;
                break;
            }
        }
        const unsigned char* start = m_buffer.get() + m_position;
        const std::size_t available = m_end - m_position;
        const void* lineFeed = std::memchr(start, '\n', available);
        const std::size_t count =
            lineFeed ? static_cast<std::size_t>(static_cast<const unsigned char*>(lineFeed) - start) : available;
        // Each byte becomes the character with the same code.
        const std::size_t old = line.GetLength();
        m_loops.widen(start, count, line.GetBufferSetLength(old + count) + old);
        delivered = true;
        if (lineFeed) {
            m_position += count + 1;
            // The line holds exactly the bytes before this LF, whichever block they came in.
            const std::size_t length = line.GetLength();
            if (length != 0 && line[length - 1] == u'\r') {
                line.Truncate(length - 1);
            }
            return true;
        }
        m_position = m_end;
    }
    return delivered;
}

void CStdioFile::WriteString(const char16_t* text)
{
    // The line end written after every line takes the short way.
    if (text[0] == u'\n' && text[1] == u'\0') {
        PutByte('\r');
        PutByte('\n');
        return;
    }
    std::size_t length = 0;
    while (text[length] != u'\0') {
        ++length;
    }
    Write(text, length);
}

void CStdioFile::WriteString(const CString& text)
{
    Write(text.GetString(), text.GetLength());
}

void CStdioFile::Write(const char16_t* text, std::size_t length)
{
    while (length != 0) {
        if (m_position == m_bufferSize) {
            Flush();
        }
        // Narrow a run that fits the buffer in one pass, then look at what it held:
        // almost always no LF and nothing above U+00FF, and the run stands.
        const std::size_t run = std::min(length, m_bufferSize - m_position);
        std::size_t plain = run;
        if (!m_loops.narrowPlainText(text, run, m_buffer.get() + m_position)) {
            plain = 0;
            while (plain < run && text[plain] != u'\n' && text[plain] <= 0xFF) {
                ++plain;
            }
        }
        m_position += plain;
        text += plain;
        length -= plain;
        if (plain == run) {
            continue;
        }
        if (*text != u'\n') {
            ThrowWriteError(0);  // a character with no byte
        }
        PutByte('\r');
        PutByte('\n');
        ++text;
        --length;
    }
}

void CStdioFile::PutByte(unsigned char byte)
{
    if (m_position == m_bufferSize) {
        Flush();
    }
    m_buffer[m_position++] = byte;
}

void CStdioFile::Flush()
{
    const std::size_t held = m_position;
    m_position = 0;  // what failed to reach the file is not offered again
    if (held != 0 && !m_file.Write(m_buffer.get(), held)) {
        ThrowWriteError(m_file.LastError());
    }
}

void CStdioFile::ThrowWriteError(long osError) const
{
    throw CFileException(CFileException::diskFull, osError, m_fullPath);
}

void CStdioFile::Close()
{
    if (!IsOpen()) {
        return;
    }
    long error = 0;
    bool failed = false;
    if (m_writing) {
        const std::size_t held = m_position;
        m_position = 0;
        if (held != 0 && !m_file.Write(m_buffer.get(), held)) {
            failed = true;
            error = m_file.LastError();
        }
    }
    if (!m_file.Close() && !failed) {
        failed = true;
        error = m_file.LastError();
    }
    if (failed) {
        ThrowWriteError(error);
    }
}

void CStdioFile::Abort() noexcept
{
    m_position = 0;
    m_file.Close();
}

#include "os_file.h"

#include <utility>

// The parts of the file owner that are the same on every platform.

OsFile::OsFile(OsFile&& other) noexcept : m_handle(other.m_handle), m_lastError(other.m_lastError)
{
    other.m_handle = kInvalid;
}

OsFile& OsFile::operator=(OsFile&& other) noexcept
{
    if (this != &other) {
        Close();
        m_handle = std::exchange(other.m_handle, kInvalid);
        m_lastError = other.m_lastError;
    }
    return *this;
}

OsFile::~OsFile()
{
    Close();
}

bool OsFile::IsOpen() const noexcept
{
    return m_handle != kInvalid;
}

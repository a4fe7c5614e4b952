#pragma once

#include "classlib/exception.h"

// A failure while reading, writing or closing a text line file.
class CFileException : public CException {
public:
    enum Cause {
        none = 0,
        genericException = 1,  // a read failed
        diskFull = 13,         // a write or a close failed
    };

    CFileException(Cause cause, long osError, const CString& fileName)
        : m_cause(cause), m_lOsError(osError), m_strFileName(fileName)
    {
    }

    // The text of the cause with the file's full path in place of "%1".
    CString GetErrorMessage() const override;

    Cause m_cause;
    long m_lOsError;  // the operating system's error number; no message shows it
    CString m_strFileName;
};

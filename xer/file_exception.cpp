#include "file_exception.h"

CString CFileException::GetErrorMessage() const
{
    const CString name = m_strFileName.IsEmpty() ? CString(u"an unnamed file") : m_strFileName;
    switch (m_cause) {
    case genericException:
        return u"An unknown error occurred while accessing " + name + u".";
    case diskFull:
        return u"Disk full while accessing " + name + u".";
    case none:
        break;
    }
    return CString();
}

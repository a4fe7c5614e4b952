#pragma once

#include "cstring.h"

// Root of the failures that the program raises and that the window procedure
// reports. Thrown by value, caught by reference.
class CException {
public:
    virtual ~CException() = default;
    // The text that reports this failure to the user; empty when it has none.
    virtual CString GetErrorMessage() const { return CString(); }
};

// An allocation failed. std::bad_alloc from the standard library is reported the
// same way.
class CMemoryException : public CException {
public:
    CString GetErrorMessage() const override { return u"Out of memory."; }
};

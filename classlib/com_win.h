#pragma once

#include <objbase.h>
#include <windows.h>

// Owners of what COM hands out. Each is move-only and releases on destruction.

// One reference to a COM object.
template <class Interface>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(ComPtr&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_object = other.m_object;
            other.m_object = nullptr;
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { Reset(); }

    Interface* operator->() const noexcept { return m_object; }
    Interface* Get() const noexcept { return m_object; }
    // For the out-parameter of a call that hands over a new reference.
    Interface** Receive() noexcept
    {
        Reset();
        return &m_object;
    }
    void** ReceiveVoid() noexcept { return reinterpret_cast<void**>(Receive()); }

private:
    void Reset() noexcept
    {
        if (m_object) {
            m_object->Release();
            m_object = nullptr;
        }
    }

    Interface* m_object = nullptr;
};

// A string allocated by COM (CoTaskMemFree on destruction).
class CoTaskMemText {
public:
    CoTaskMemText() noexcept = default;
    CoTaskMemText(CoTaskMemText&& other) noexcept : m_text(other.m_text) { other.m_text = nullptr; }
    CoTaskMemText& operator=(CoTaskMemText&& other) noexcept
    {
        if (this != &other) {
            CoTaskMemFree(m_text);
            m_text = other.m_text;
            other.m_text = nullptr;
        }
        return *this;
    }
    CoTaskMemText(const CoTaskMemText&) = delete;
    CoTaskMemText& operator=(const CoTaskMemText&) = delete;
    ~CoTaskMemText() { CoTaskMemFree(m_text); }

    const wchar_t* Get() const noexcept { return m_text; }
    wchar_t** Receive() noexcept
    {
        CoTaskMemFree(m_text);
        m_text = nullptr;
        return &m_text;
    }

private:
    wchar_t* m_text = nullptr;
};

// COM on this thread for the lifetime of the object; calls nest.
class ComApartment {
public:
    ComApartment() noexcept
        : m_initialised(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
    {
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment()
    {
        if (m_initialised) {
            CoUninitialize();
        }
    }

private:
    bool m_initialised;
};

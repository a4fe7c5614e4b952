#pragma once

#include <windows.h>

// A module loaded by this program (FreeLibrary on destruction). Move-only.
class LibraryModule {
public:
    LibraryModule() noexcept = default;
    explicit LibraryModule(HMODULE module) noexcept : m_module(module) {}
    LibraryModule(LibraryModule&& other) noexcept : m_module(other.m_module) { other.m_module = nullptr; }
    LibraryModule& operator=(LibraryModule&& other) noexcept
    {
        if (this != &other) {
            Free();
            m_module = other.m_module;
            other.m_module = nullptr;
        }
        return *this;
    }
    LibraryModule(const LibraryModule&) = delete;
    LibraryModule& operator=(const LibraryModule&) = delete;
    ~LibraryModule() { Free(); }

    HMODULE Get() const noexcept { return m_module; }
    bool IsLoaded() const noexcept { return m_module != nullptr; }

private:
    void Free() noexcept
    {
        if (m_module) {
            FreeLibrary(m_module);
            m_module = nullptr;
        }
    }

    HMODULE m_module = nullptr;
};

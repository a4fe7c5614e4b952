#pragma once

#include "classlib/cstring.h"

#include <filesystem>
#include <ostream>
#include <string>

// Real files in a scratch folder of their own, for tests of the file classes and
// the conversion.

std::filesystem::path ToPath(const CString& text);
CString ToCString(const std::filesystem::path& path);
CString ToCString(const char* ascii);

void WriteBytes(const std::filesystem::path& file, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& file);

// A fresh, empty folder, removed with everything in it at the end of the test.
class ScratchFolder {
public:
    ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder();

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// The folder of the real exports beside the repository, or empty when it is not there.
std::filesystem::path SamplesFolder();

// A folder on a small, full-able file system prepared by the test run
// (KESTRIMO_FULL_DISK), or empty when none was prepared.
std::filesystem::path FullDiskFolder();

// The root of a scratch drive that the Windows test run maps (K:\), or empty.
std::filesystem::path DriveRootFolder();

// A path as the program under test spells it (Z:\... under Wine).
std::filesystem::path FromUnixPath(const std::string& unixPath);

// True when this process may write to files whose permissions forbid it.
bool IgnoresPermissions();

// So that failing expectations print text, not code units.
void PrintTo(const CString& text, std::ostream* out);

// A GoogleTest name made of a case's description.
std::string CaseName(const std::string& description);

// What a cleaned file must hold, computed from the whole input at once and
// independently of the program's own code: lines split at LF, one CR before an
// LF dropped, POBS tables left out up to the next "%T" or "%E" line (letters in
// any case), every kept line ended with CR LF.
std::string ReferenceClean(const std::string& input);

// Removes everything but the mount marker from the full-disk folder.
void ClearFullDisk(const std::filesystem::path& folder);

#include "test_support.h"

#include "classlib/utf8.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#ifdef _WIN32
#include "classlib/wide_win.h"
#endif

namespace fs = std::filesystem;

fs::path ToPath(const CString& text)
{
#ifdef _WIN32
    return fs::path(std::wstring(reinterpret_cast<const wchar_t*>(text.GetString()), text.GetLength()));
#else
    return fs::path(ToUtf8(text));
#endif
}

CString ToCString(const fs::path& path)
{
#ifdef _WIN32
    return FromWide(path.wstring().c_str());
#else
    return FromUtf8(path.string());
#endif
}

CString ToCString(const char* ascii)
{
    return FromUtf8(ascii);
}

void WriteBytes(const fs::path& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

std::string ReadBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + file.string());
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

ScratchFolder::ScratchFolder()
{
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (;;) {
        m_path = fs::temp_directory_path() / ("kestrimo-test-" + std::to_string(random()));
        if (fs::create_directory(m_path)) {
            // Settled once, so that expected full paths compare with what the program settles.
            m_path = fs::canonical(m_path);
            return;
        }
    }
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(m_path, ignored)) {
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(m_path, ignored);
}

fs::path FromUnixPath(const std::string& unixPath)
{
#ifdef _WIN32
    std::string windows = "Z:" + unixPath;
    for (char& c : windows) {
        if (c == '/') {
            c = '\\';
        }
    }
    return fs::path(windows);
#else
    return fs::path(unixPath);
#endif
}

fs::path SamplesFolder()
{
    const fs::path samples = FromUnixPath(KESTRIMO_SAMPLES_DIR);
    std::error_code ignored;
    return fs::is_directory(samples, ignored) ? samples : fs::path();
}

fs::path FullDiskFolder()
{
    const char* folder = std::getenv("KESTRIMO_FULL_DISK");
    if (!folder || !*folder) {
        return fs::path();
    }
    const fs::path mounted = FromUnixPath(folder);
    std::error_code ignored;
    return fs::exists(mounted / ".mounted", ignored) ? mounted : fs::path();
}

bool IgnoresPermissions()
{
    // Asked of the file system itself: root on Linux, and Wine run by root, may
    // write where the permissions say no.
    ScratchFolder folder;
    const fs::path probe = folder / "read-only";
    WriteBytes(probe, "");
    fs::permissions(probe, fs::perms::owner_read);
    std::ofstream writer(probe, std::ios::binary | std::ios::app);
    const bool writable = writer.is_open();
    writer.close();
    return writable;
}

fs::path DriveRootFolder()
{
#ifdef _WIN32
    const fs::path root = L"K:\\";
    std::error_code ignored;
    return fs::exists(root / ".mapped", ignored) ? root : fs::path();
#else
    return fs::path();
#endif
}

void PrintTo(const CString& text, std::ostream* out)
{
    *out << '"' << ToUtf8(text) << '"';
}

std::string CaseName(const std::string& description)
{
    std::string name = description;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    return name;
}

std::string ReferenceClean(const std::string& input)
{
    const auto lower = [](std::string text) {
        for (char& c : text) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
        return text;
    };
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < input.size()) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(input.substr(start));
            break;
        }
        std::string line = input.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
        start = end + 1;
    }
    std::string output;
    bool skipping = false;
    for (const std::string& line : lines) {
        const std::string folded = lower(line);
        if (folded == "%t\tpobs") {
            skipping = true;
        } else if (skipping && (folded.compare(0, 2, "%t") == 0 || folded.compare(0, 2, "%e") == 0)) {
            skipping = false;
        }
        if (!skipping) {
            output += line + "\r\n";
        }
    }
    return output;
}

void ClearFullDisk(const fs::path& folder)
{
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename() != ".mounted") {
            fs::remove_all(entry.path());
        }
    }
}

// The built Kestrimo.exe, read as a file and as a resource module: its image
// headers and every resource it carries, checked against what the program
// promises the system and the user.

#include "win_test_support.h"

#include "classlib/handles_win.h"
#include "classlib/wide_win.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadFile(const std::wstring& path)
{
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

template <class T>
T At(const std::string& bytes, std::size_t offset)
{
    T value{};
    if (offset + sizeof(T) <= bytes.size()) {
        std::memcpy(&value, bytes.data() + offset, sizeof(T));
    }
    return value;
}

// The headers of the image file, and its sections for turning addresses into offsets.
// The image is built for the same CPU as this test, so the system's own header
// layout (PE32, or PE32+ in the 64-bit test build) is the one to read it with.
class PeFile {
public:
    explicit PeFile(const std::wstring& path) : m_bytes(ReadFile(path))
    {
        const auto dos = At<IMAGE_DOS_HEADER>(m_bytes, 0);
        m_headersAt = static_cast<std::size_t>(dos.e_lfanew);
        m_headers = At<IMAGE_NT_HEADERS>(m_bytes, m_headersAt);
        const std::size_t sections =
            m_headersAt + offsetof(IMAGE_NT_HEADERS, OptionalHeader) + m_headers.FileHeader.SizeOfOptionalHeader;
        for (unsigned i = 0; i < m_headers.FileHeader.NumberOfSections; ++i) {
            m_sections.push_back(At<IMAGE_SECTION_HEADER>(m_bytes, sections + i * sizeof(IMAGE_SECTION_HEADER)));
        }
    }

    bool Valid() const { return m_bytes.size() > 0x200 && m_headers.Signature == IMAGE_NT_SIGNATURE; }
    const IMAGE_NT_HEADERS& Headers() const { return m_headers; }

    // The names of the DLLs that the image imports, as written.
    std::vector<std::string> ImportedDlls() const
    {
        std::vector<std::string> names;
        const auto& directory = m_headers.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (std::size_t at = Offset(directory.VirtualAddress);; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto descriptor = At<IMAGE_IMPORT_DESCRIPTOR>(m_bytes, at);
            if (descriptor.Name == 0) {
                break;
            }
            names.emplace_back(m_bytes.c_str() + Offset(descriptor.Name));
        }
        return names;
    }

private:
    std::size_t Offset(DWORD address) const
    {
        for (const IMAGE_SECTION_HEADER& section : m_sections) {
            if (address >= section.VirtualAddress && address < section.VirtualAddress + section.Misc.VirtualSize) {
                return address - section.VirtualAddress + section.PointerToRawData;
            }
        }
        return 0;
    }

    std::string m_bytes;
    std::size_t m_headersAt = 0;
    IMAGE_NT_HEADERS m_headers{};
    std::vector<IMAGE_SECTION_HEADER> m_sections;
};

class ExecutableResources : public testing::Test {
protected:
    void SetUp() override
    {
        m_module = LibraryModule(LoadLibraryExW(KestrimoExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        ASSERT_TRUE(m_module.IsLoaded()) << "cannot load the built program as data";
    }

    // The bytes of one resource in U.S. English; empty when there is none.
    std::string Resource(const wchar_t* type, const wchar_t* name) const
    {
        const HRSRC found =
            FindResourceExW(m_module.Get(), type, name, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        if (!found) {
            return std::string();
        }
        const HGLOBAL loaded = LoadResource(m_module.Get(), found);
        return std::string(static_cast<const char*>(LockResource(loaded)), SizeofResource(m_module.Get(), found));
    }

    LibraryModule m_module;
};

// Reads a dialog template field by field.
class TemplateReader {
public:
    explicit TemplateReader(const std::string& bytes) : m_bytes(bytes) {}

    template <class T>
    T Next()
    {
        const T value = At<T>(m_bytes, m_at);
        m_at += sizeof(T);
        return value;
    }
    // A string or ordinal field: "#n" for an ordinal, "" for none.
    std::string NextNameOrOrdinal()
    {
        const auto first = At<std::uint16_t>(m_bytes, m_at);
        if (first == 0xFFFF) {
            m_at += 2;
            return "#" + std::to_string(Next<std::uint16_t>());
        }
        return NextString();
    }
    std::string NextString()
    {
        std::wstring text;
        for (std::uint16_t c; (c = Next<std::uint16_t>()) != 0;) {
            text += static_cast<wchar_t>(c);
        }
        return Text(FromWide(text.c_str()));
    }
    void AlignToDword() { m_at = (m_at + 3) & ~std::size_t(3); }
    bool AtEnd() const { return m_at >= m_bytes.size(); }

private:
    const std::string& m_bytes;
    std::size_t m_at = 0;
};

TEST(ExecutableImage, IsAVistaGuiProgramForItsCpuWithAslrDepAndNoRuntimeDlls)
{
    const PeFile image(KestrimoExePath());
    ASSERT_TRUE(image.Valid());
    const IMAGE_NT_HEADERS& headers = image.Headers();
#if defined(_WIN64)
    // The 64-bit test build of the same sources; the program that ships is the 32-bit one.
    EXPECT_EQ(headers.FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
    EXPECT_EQ(headers.OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR64_MAGIC);
#else
    EXPECT_EQ(headers.FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(headers.OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
#endif
    EXPECT_EQ(headers.OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    EXPECT_EQ(headers.OptionalHeader.MajorOperatingSystemVersion, 6);
    EXPECT_EQ(headers.OptionalHeader.MinorOperatingSystemVersion, 0);
    EXPECT_EQ(headers.OptionalHeader.MajorSubsystemVersion, 6);
    EXPECT_EQ(headers.OptionalHeader.MinorSubsystemVersion, 0);
    EXPECT_TRUE(headers.OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
    EXPECT_TRUE(headers.OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
    // Address-space randomisation needs the relocations to be kept.
    EXPECT_NE(headers.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size, 0u);
    EXPECT_EQ(headers.FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED, 0);

    for (std::string dll : image.ImportedDlls()) {
        for (char& c : dll) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        EXPECT_EQ(dll.find("libstdc++"), std::string::npos) << dll;
        EXPECT_EQ(dll.find("libgcc"), std::string::npos) << dll;
        EXPECT_EQ(dll.find("libwinpthread"), std::string::npos) << dll;
    }
}

TEST_F(ExecutableResources, MainDialogTemplateIsExactlyAsDesigned)
{
    const std::string bytes = Resource(RT_DIALOG, MAKEINTRESOURCEW(102));
    ASSERT_FALSE(bytes.empty());
    TemplateReader reader(bytes);
    EXPECT_EQ(reader.Next<std::uint16_t>(), 1);       // version
    EXPECT_EQ(reader.Next<std::uint16_t>(), 0xFFFF);  // signature: extended template
    EXPECT_EQ(reader.Next<std::uint32_t>(), 0u);      // help identifier
    EXPECT_EQ(reader.Next<std::uint32_t>(), 0x00040000u);
    EXPECT_EQ(reader.Next<std::uint32_t>(), 0x90C000C4u);
    ASSERT_EQ(reader.Next<std::uint16_t>(), 2);
    EXPECT_EQ(reader.Next<std::int16_t>(), 0);
    EXPECT_EQ(reader.Next<std::int16_t>(), 0);
    EXPECT_EQ(reader.Next<std::int16_t>(), 115);
    EXPECT_EQ(reader.Next<std::int16_t>(), 55);
    EXPECT_EQ(reader.NextNameOrOrdinal(), "");  // no menu
    EXPECT_EQ(reader.NextNameOrOrdinal(), "");  // the system's dialog class
    EXPECT_EQ(reader.NextString(), "Kestrimo");
    EXPECT_EQ(reader.Next<std::uint16_t>(), 18);   // points
    EXPECT_EQ(reader.Next<std::uint16_t>(), 400);  // weight
    EXPECT_EQ(reader.Next<std::uint8_t>(), 0);     // not italic
    EXPECT_EQ(reader.Next<std::uint8_t>(), 0);     // character set
    EXPECT_EQ(reader.NextString(), "Microsoft Sans Serif");

    struct Control {
        std::string className;
        std::int32_t id;
        std::string text;
        std::int16_t x, y, cx, cy;
        std::uint32_t style;
    };
    const Control expected[] = {
        {"#128", IDCANCEL, "Close", 58, 34, 50, 14, 0x50010000},
        {"#130", -1, "Drag and drop XER files here!", 7, 17, 101, 8, 0x50020001},
    };
    for (const Control& control : expected) {
        SCOPED_TRACE(control.text);
        reader.AlignToDword();
        EXPECT_EQ(reader.Next<std::uint32_t>(), 0u);  // help identifier
        EXPECT_EQ(reader.Next<std::uint32_t>(), 0u);  // extended style
        EXPECT_EQ(reader.Next<std::uint32_t>(), control.style);
        EXPECT_EQ(reader.Next<std::int16_t>(), control.x);
        EXPECT_EQ(reader.Next<std::int16_t>(), control.y);
        EXPECT_EQ(reader.Next<std::int16_t>(), control.cx);
        EXPECT_EQ(reader.Next<std::int16_t>(), control.cy);
        EXPECT_EQ(reader.Next<std::int32_t>(), control.id);
        EXPECT_EQ(reader.NextNameOrOrdinal(), control.className);
        EXPECT_EQ(reader.NextNameOrOrdinal(), control.text);
        EXPECT_EQ(reader.Next<std::uint16_t>(), 0);  // no creation data
    }
    EXPECT_TRUE(reader.AtEnd());
}

TEST_F(ExecutableResources, DialogLayoutIsTwoZeroBytes)
{
    EXPECT_EQ(Resource(L"AFX_DIALOG_LAYOUT", MAKEINTRESOURCEW(102)), std::string(2, '\0'));
}

TEST_F(ExecutableResources, HoldsNoApplicationTitleString)
{
    // String 0xE000 would replace the executable's name as the message-box caption.
    EXPECT_TRUE(Resource(RT_STRING, MAKEINTRESOURCEW(0xE000 / 16 + 1)).empty());
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

TEST_F(ExecutableResources, IconGroupHasThirteenImagesInOrder)
{
    const std::string group = Resource(RT_GROUP_ICON, MAKEINTRESOURCEW(128));
    ASSERT_GE(group.size(), 6u);
    EXPECT_EQ(At<WORD>(group, 0), 0);
    EXPECT_EQ(At<WORD>(group, 2), 1);  // icons, not cursors
    ASSERT_EQ(At<WORD>(group, 4), 13);
    ASSERT_EQ(group.size(), 6u + 13 * sizeof(GroupIconEntry));

    struct Image {
        int size;
        int bits;
    };
    const Image expected[] = {{48, 4},  {32, 4},  {24, 4},  {16, 4},  {48, 8},  {32, 8}, {24, 8},
                              {16, 8},  {256, 32}, {48, 32}, {32, 32}, {24, 32}, {16, 32}};
    for (int i = 0; i < 13; ++i) {
        const Image& image = expected[i];
        SCOPED_TRACE(std::to_string(image.size) + " pixels, " + std::to_string(image.bits) + " bits");
        const auto entry = At<GroupIconEntry>(group, 6 + i * sizeof(GroupIconEntry));
        EXPECT_EQ(entry.width, image.size == 256 ? 0 : image.size);
        EXPECT_EQ(entry.height, image.size == 256 ? 0 : image.size);
        EXPECT_EQ(entry.colorCount, image.bits == 4 ? 16 : 0);
        EXPECT_EQ(entry.planes, 1);
        EXPECT_EQ(entry.bitCount, image.bits);

        const std::string data = Resource(RT_ICON, MAKEINTRESOURCEW(entry.id));
        ASSERT_EQ(data.size(), entry.bytesInRes);
        if (image.size == 256) {
            ASSERT_EQ(data.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
            EXPECT_EQ(data.substr(12, 4), "IHDR");
            EXPECT_EQ(_byteswap_ulong(At<std::uint32_t>(data, 16)), 256u);
            EXPECT_EQ(_byteswap_ulong(At<std::uint32_t>(data, 20)), 256u);
            EXPECT_EQ(At<std::uint8_t>(data, 24), 8);  // bits per channel
            EXPECT_EQ(At<std::uint8_t>(data, 25), 6);  // RGBA
            continue;
        }
        const auto header = At<BITMAPINFOHEADER>(data, 0);
        EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(header.biWidth, image.size);
        EXPECT_EQ(header.biHeight, image.size * 2);  // the colours and the mask
        EXPECT_EQ(header.biBitCount, image.bits);
        EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
        const std::size_t palette = image.bits <= 8 ? (std::size_t(1) << image.bits) * 4 : 0;
        const std::size_t colourRow = (static_cast<std::size_t>(image.size) * image.bits + 31) / 32 * 4;
        const std::size_t maskRow = (static_cast<std::size_t>(image.size) + 31) / 32 * 4;
        EXPECT_EQ(data.size(), sizeof(BITMAPINFOHEADER) + palette + (colourRow + maskRow) * image.size);
    }
}

TEST_F(ExecutableResources, IconLoadsAtTheSystemSizes)
{
    for (const int size : {16, 32, 48, 256}) {
        const HICON icon = static_cast<HICON>(LoadImageW(m_module.Get(), MAKEINTRESOURCEW(128), IMAGE_ICON, size,
                                                         size, LR_DEFAULTCOLOR));
        EXPECT_NE(icon, nullptr) << size;
        DestroyIcon(icon);
    }
}

// One node of a version resource: its key, its value and its children, in order.
struct VersionNode {
    std::string key;
    std::string value;  // the raw value bytes
    bool text = false;
    std::vector<VersionNode> children;
};

VersionNode ParseVersionNode(const std::string& bytes, std::size_t at)
{
    const std::size_t end = at + At<WORD>(bytes, at);
    const WORD valueLength = At<WORD>(bytes, at + 2);
    VersionNode node;
    node.text = At<WORD>(bytes, at + 4) == 1;
    std::size_t cursor = at + 6;
    std::wstring key;
    for (WORD c; (c = At<WORD>(bytes, cursor)) != 0; cursor += 2) {
        key += static_cast<wchar_t>(c);
    }
    cursor = (cursor + 2 + 3) & ~std::size_t(3);
    node.key = Text(FromWide(key.c_str()));
    const std::size_t valueBytes = node.text ? valueLength * 2u : valueLength;
    node.value = bytes.substr(cursor, valueBytes);
    cursor = (cursor + valueBytes + 3) & ~std::size_t(3);
    while (cursor < end) {
        node.children.push_back(ParseVersionNode(bytes, cursor));
        cursor = (cursor + At<WORD>(bytes, cursor) + 3) & ~std::size_t(3);
    }
    return node;
}

std::string TextValue(const VersionNode& node)
{
    std::wstring text(reinterpret_cast<const wchar_t*>(node.value.data()), node.value.size() / 2);
    return Text(FromWide(text.c_str()));
}

TEST_F(ExecutableResources, VersionResourceHasTheProgramsValues)
{
    const std::string bytes = Resource(RT_VERSION, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(bytes.empty());
    const VersionNode root = ParseVersionNode(bytes, 0);
    EXPECT_EQ(root.key, "VS_VERSION_INFO");
    ASSERT_EQ(root.value.size(), sizeof(VS_FIXEDFILEINFO));
    const auto fixed = At<VS_FIXEDFILEINFO>(root.value, 0);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed.dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed.dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed.dwFileFlags, 0u);
    EXPECT_EQ(fixed.dwFileOS, 0x40004u);
    EXPECT_EQ(fixed.dwFileType, 1u);
    EXPECT_EQ(fixed.dwFileSubtype, 0u);

    ASSERT_EQ(root.children.size(), 2u);
    const VersionNode& strings = root.children[0];
    EXPECT_EQ(strings.key, "StringFileInfo");
    ASSERT_EQ(strings.children.size(), 1u);
    EXPECT_EQ(strings.children[0].key, "040904B0");
    const std::vector<VersionNode>& values = strings.children[0].children;
    const char* const keys[] = {"CompanyName",      "FileDescription", "FileVersion", "InternalName",
                                "LegalCopyright",   "OriginalFilename", "ProductName", "ProductVersion"};
    ASSERT_EQ(values.size(), std::size(keys));
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(values[i].key, keys[i]);
        EXPECT_FALSE(TextValue(values[i]).empty()) << keys[i];
    }
    EXPECT_EQ(TextValue(values[1]), "Kestrimo");
    EXPECT_EQ(TextValue(values[2]), "1.0.0.1");
    EXPECT_EQ(TextValue(values[3]), "Kestrimo.exe");
    EXPECT_EQ(TextValue(values[5]), "Kestrimo.exe");
    EXPECT_EQ(TextValue(values[7]), "1.0.0.1");

    const VersionNode& variables = root.children[1];
    EXPECT_EQ(variables.key, "VarFileInfo");
    ASSERT_EQ(variables.children.size(), 1u);
    EXPECT_EQ(variables.children[0].key, "Translation");
    ASSERT_EQ(variables.children[0].value.size(), 4u);
    EXPECT_EQ(At<WORD>(variables.children[0].value, 0), 0x0409);
    EXPECT_EQ(At<WORD>(variables.children[0].value, 2), 1200);
}

// The element that starts with `start` in `xml`, up to its closing '>'.
std::string Element(const std::string& xml, const std::string& start, std::size_t from = 0)
{
    const std::size_t at = xml.find(start, from);
    return at == std::string::npos ? std::string() : xml.substr(at, xml.find('>', at) - at + 1);
}

TEST_F(ExecutableResources, ManifestAsksForCommonControls6AsInvokerAndDpiAwareness)
{
    const std::string manifest = Resource(RT_MANIFEST, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(manifest.empty());
    const std::size_t dependency = manifest.find("<dependentAssembly>");
    ASSERT_NE(dependency, std::string::npos);
    const std::string identity = Element(manifest, "<assemblyIdentity", dependency);
    for (const char* attribute : {"type=\"win32\"", "name=\"Microsoft.Windows.Common-Controls\"",
                                  "version=\"6.0.0.0\"", "processorArchitecture=\"x86\"", "language=\"*\""}) {
        EXPECT_NE(identity.find(attribute), std::string::npos) << attribute << " in " << identity;
    }
    const std::string level = Element(manifest, "<requestedExecutionLevel");
    EXPECT_NE(level.find("level=\"asInvoker\""), std::string::npos) << level;
    EXPECT_NE(level.find("uiAccess=\"false\""), std::string::npos) << level;
    const std::string dpi = Element(manifest, "<dpiAware");
    ASSERT_FALSE(dpi.empty());
    EXPECT_EQ(manifest.compare(manifest.find(dpi) + dpi.size(), 4, "true"), 0);
}

}  // namespace

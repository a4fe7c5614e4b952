// The fuzz target of the text line files and the POBS filter. Each input is
// cleaned through the real classes on real files and compared with
// ReferenceClean, which sees the whole buffer at once; the buffer sizes come
// from the input, so that every block boundary moves.
//
// Input: two bytes (little-endian) choosing the reading buffer's size, two the
// writing buffer's size (each 1 + value % 5000), two the place of a character
// that has no byte; the rest is the file. Missing bytes count as zero.
//
// Built with libFuzzer (the fuzz preset), and run over the corpus folder as an
// ordinary test by corpus_main.cpp.
#include "test_support.h"
#include "xer/file_exception.h"
#include "xer/pobs_filter.h"
#include "xer/stdio_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct FuzzInput {
    std::size_t readBufferSize;
    std::size_t writeBufferSize;
    std::size_t unmappablePlace;
    std::string file;
};

FuzzInput Parse(const std::uint8_t* data, std::size_t size)
{
    const auto word = [&](std::size_t at) {
        const unsigned low = at < size ? data[at] : 0;
        const unsigned high = at + 1 < size ? data[at + 1] : 0;
        return low | high << 8;
    };
    constexpr std::size_t kHeader = 6;
    FuzzInput input;
    input.readBufferSize = 1 + word(0) % 5000;
    input.writeBufferSize = 1 + word(2) % 5000;
    if (size > kHeader) {
        input.file.assign(reinterpret_cast<const char*>(data) + kHeader, size - kHeader);
    }
    input.unmappablePlace = word(4) % (input.file.size() + 1);
    return input;
}

[[noreturn]] void Fail(const FuzzInput& input, const char* what)
{
    std::fprintf(stderr, "clean_fuzz: %s (file of %zu bytes, reading buffer %zu, writing buffer %zu)\n", what,
                 input.file.size(), input.readBufferSize, input.writeBufferSize);
    std::abort();
}

CString Widen(const std::string& bytes)
{
    CString text;
    char16_t* characters = text.GetBufferSetLength(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        characters[i] = static_cast<unsigned char>(bytes[i]);
    }
    return text;
}

std::string WithCrLf(const std::string& bytes)
{
    std::string result;
    for (char byte : bytes) {
        if (byte == '\n') {
            result += '\r';
        }
        result += byte;
    }
    return result;
}

// The folder lives as long as the process, so that each input costs two files, not a folder.
const ScratchFolder& Folder()
{
    static const ScratchFolder folder;
    return folder;
}

void CheckCleaning(const FuzzInput& input)
{
    const auto in = Folder() / "in.xer";
    const auto out = Folder() / "out.xer";
    WriteBytes(in, input.file);
    {
        CStdioFile reader(input.readBufferSize);
        CStdioFile writer(input.writeBufferSize);
        if (!reader.Open(ToCString(in), OpenMode::Read) || !writer.Open(ToCString(out), OpenMode::Create)) {
            Fail(input, "cannot open the scratch files");
        }
        CopyWithoutPobs(reader, writer);
        writer.Close();
    }
    if (ReadBytes(out) != ReferenceClean(input.file)) {
        Fail(input, "the cleaned file differs from the reference");
    }
    if (ReadBytes(in) != input.file) {
        Fail(input, "the input changed");
    }
}

// The file as one text with its LFs inside, then with a character that has no
// byte put in: the first becomes the same bytes with CR LF, the second is a
// write error wherever the character stands.
void CheckWriting(const FuzzInput& input)
{
    const auto out = Folder() / "text.out";
    const CString text = Widen(input.file);
    {
        CStdioFile writer(input.writeBufferSize);
        if (!writer.Open(ToCString(out), OpenMode::Create)) {
            Fail(input, "cannot open the scratch file");
        }
        writer.WriteString(text);
        writer.Close();
    }
    if (ReadBytes(out) != WithCrLf(input.file)) {
        Fail(input, "a text written whole differs from its bytes with CR LF");
    }

    CString unmappable(text.GetString(), input.unmappablePlace);
    unmappable.Append(u"\u0100", 1);
    unmappable.Append(text.GetString() + input.unmappablePlace, text.GetLength() - input.unmappablePlace);
    CStdioFile writer(input.writeBufferSize);
    if (!writer.Open(ToCString(out), OpenMode::Create)) {
        Fail(input, "cannot open the scratch file");
    }
    bool raised = false;
    try {
        writer.WriteString(unmappable);
    } catch (const CFileException& error) {
        raised = error.m_cause == CFileException::diskFull;
    }
    writer.Abort();
    if (!raised) {
        Fail(input, "a character above U+00FF was written without an error");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const FuzzInput input = Parse(data, size);
    CheckCleaning(input);
    CheckWriting(input);
    return 0;
}

// Runs the fuzz target over every file of a corpus folder, as an ordinary test
// that needs no fuzzer: natively, and under Wine for the Windows build. A fault
// ends the run with the target's message; the file at fault is named first.
#include "test_support.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = FromUnixPath(argv[1]);
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() != ".md") {
            files.push_back(entry.path());
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "no corpus files in %s\n", argv[1]);
        return 1;
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        std::fprintf(stderr, "%s\n", file.filename().string().c_str());
        const std::string bytes = ReadBytes(file);
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("%zu corpus files cleaned as the reference says\n", files.size());
    return 0;
}

#include "text_loops.h"

// The Windows program is 32-bit and keeps the portable loops; so does its 64-bit
// test build, which is to test what ships.
#if defined(__x86_64__) && !defined(_WIN32)
#define KESTRIMO_AVX2_LOOPS 1
#include <immintrin.h>
#endif

namespace {

// The portable loops handle characters in runs that the compiler turns into
// vector instructions where the CPU has them. A line is seldom a whole number of
// vectors, and handling its last few characters one at a time would cost as much
// as all the others, so a run of at least one group ends with a whole group that
// overlaps the one before it: those characters are handled twice, with the same
// result. Source and target never overlap (__restrict), which spares the compiler
// a check on every call.
constexpr std::size_t kGroup = 16;

void WidenRun(const unsigned char* __restrict bytes, std::size_t count, char16_t* __restrict characters)
{
    for (std::size_t i = 0; i < count; ++i) {
        characters[i] = bytes[i];
    }
}

void PortableWiden(const unsigned char* bytes, std::size_t count, char16_t* characters)
{
    if (count < kGroup) {
        WidenRun(bytes, count, characters);
        return;
    }
    WidenRun(bytes, count - count % kGroup, characters);
    WidenRun(bytes + count - kGroup, kGroup, characters + count - kGroup);
}

// Stores each character as its byte and returns all code units ORed together,
// an LF counting as 0xFFFF: a bit of 0xFF00 in the result means that the run held
// an LF or a character above U+00FF. One mask of code units rather than two
// bools, so that the compiler vectorises the loop.
char16_t NarrowRun(const char16_t* __restrict text, std::size_t count, unsigned char* __restrict bytes)
{
    char16_t seen = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const char16_t c = text[i];
        seen |= static_cast<char16_t>(c | (c == u'\n' ? 0xFFFF : 0));
        bytes[i] = static_cast<unsigned char>(c);
    }
    return seen;
}

bool PortableNarrowPlainText(const char16_t* text, std::size_t count, unsigned char* bytes)
{
    char16_t seen = 0;
    if (count < kGroup) {
        seen = NarrowRun(text, count, bytes);
    } else {
        seen = NarrowRun(text, count - count % kGroup, bytes) |
               NarrowRun(text + count - kGroup, kGroup, bytes + count - kGroup);
    }
    return (seen & 0xFF00) == 0;
}

#if defined(KESTRIMO_AVX2_LOOPS)
// AVX2 versions, written with intrinsics: the loops above compiled for AVX2 take
// about a third more instructions. The same overlapping last group as above;
// runs shorter than the smallest group take the portable loops.
constexpr std::size_t kWideGroup = 16;    // bytes widened per step
constexpr std::size_t kNarrowGroup = 32;  // characters narrowed per step
constexpr std::size_t kNarrowHalf = kNarrowGroup / 2;

__attribute__((target("avx2"))) void WidenGroupAvx2(const unsigned char* bytes, char16_t* characters)
{
    const __m128i group = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(characters), _mm256_cvtepu8_epi16(group));
}

__attribute__((target("avx2"))) void Avx2Widen(const unsigned char* bytes, std::size_t count, char16_t* characters)
{
    if (count < kWideGroup) {
        WidenRun(bytes, count, characters);
        return;
    }
    const std::size_t last = count - kWideGroup;
    for (std::size_t done = 0; done < last; done += kWideGroup) {
        WidenGroupAvx2(bytes + done, characters + done);
    }
    WidenGroupAvx2(bytes + last, characters + last);
}

// Packing with unsigned saturation keeps every code unit up to 0xFF as its byte;
// a larger one is caught by the OR of all code units, whatever byte it became.
struct NarrowedAvx2 {
    __m256i units;
    __m256i lineFeeds;
};

__attribute__((target("avx2"))) void NarrowGroupAvx2(const char16_t* text, unsigned char* bytes,
                                                     NarrowedAvx2& seen)
{
    const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text));
    const __m256i second = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + kNarrowHalf));
    // The pack works within each 128-bit lane; the permute puts the quarters in order.
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(first, second), 0xD8);
    seen.units = _mm256_or_si256(seen.units, _mm256_or_si256(first, second));
    seen.lineFeeds = _mm256_or_si256(seen.lineFeeds, _mm256_cmpeq_epi8(packed, _mm256_set1_epi8('\n')));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(bytes), packed);
}

// Half a group, for runs of 16 to 31 characters (a good third of the lines of an
// export). Returns a mark wherever the half was not plain.
__attribute__((target("avx2"))) __m128i NarrowHalfGroupAvx2(const char16_t* text, unsigned char* bytes)
{
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + kNarrowHalf / 2));
    const __m128i packed = _mm_packus_epi16(first, second);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes), packed);
    const __m128i high = _mm_and_si128(_mm_or_si128(first, second), _mm_set1_epi16(static_cast<short>(0xFF00)));
    return _mm_or_si128(high, _mm_cmpeq_epi8(packed, _mm_set1_epi8('\n')));
}

__attribute__((target("avx2"))) bool Avx2NarrowPlainText(const char16_t* text, std::size_t count,
                                                         unsigned char* bytes)
{
    if (count < kNarrowHalf) {
        return PortableNarrowPlainText(text, count, bytes);
    }
    if (count < kNarrowGroup) {
        const __m128i marks = _mm_or_si128(NarrowHalfGroupAvx2(text, bytes),
                                           NarrowHalfGroupAvx2(text + count - kNarrowHalf, bytes + count - kNarrowHalf));
        return _mm_testz_si128(marks, marks) != 0;
    }
    NarrowedAvx2 seen{_mm256_setzero_si256(), _mm256_setzero_si256()};
    const std::size_t last = count - kNarrowGroup;
    for (std::size_t done = 0; done < last; done += kNarrowGroup) {
        NarrowGroupAvx2(text + done, bytes + done, seen);
    }
    NarrowGroupAvx2(text + last, bytes + last, seen);
    const __m256i high = _mm256_and_si256(seen.units, _mm256_set1_epi16(static_cast<short>(0xFF00)));
    return _mm256_testz_si256(_mm256_or_si256(high, seen.lineFeeds), _mm256_set1_epi8(-1)) != 0;
}
#endif

// From the portable version to the best: those that a CPU runs are the first few.
const TextLoops kAllTextLoops[] = {
    {"portable", PortableWiden, PortableNarrowPlainText},
#if defined(KESTRIMO_AVX2_LOOPS)
    {"AVX2", Avx2Widen, Avx2NarrowPlainText},
#endif
};

}  // namespace

const TextLoops* RunnableTextLoops(std::size_t& count)
{
    count = 1;
#if defined(KESTRIMO_AVX2_LOOPS)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) {
        count = 2;
    }
#endif
    return kAllTextLoops;
}

const TextLoops& ChosenTextLoops()
{
    static const TextLoops* const chosen = [] {
        std::size_t count = 0;
        const TextLoops* loops = RunnableTextLoops(count);
        return &loops[count - 1];
    }();
    return *chosen;
}

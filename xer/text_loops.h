#pragma once

#include <cstddef>

// The two loops that every byte of a cleaned file passes through: bytes widened
// to the characters of a line as it is read, characters narrowed back to bytes
// as it is written. A build may hold several versions of them, each for a kind
// of CPU; the best one that the CPU runs is chosen on first use.
struct TextLoops {
    const char* name;
    // characters[i] = bytes[i] for every i below count.
    void (*widen)(const unsigned char* bytes, std::size_t count, char16_t* characters);
    // Stores every character up to U+00FF as its byte (what is stored for any
    // other is unspecified) and tells whether the text was plain: no LF and
    // nothing above U+00FF.
    bool (*narrowPlainText)(const char16_t* text, std::size_t count, unsigned char* bytes);
};

const TextLoops& ChosenTextLoops();

// Every version that this build holds and this CPU runs, the portable one first;
// for tests that hold them against each other.
const TextLoops* RunnableTextLoops(std::size_t& count);

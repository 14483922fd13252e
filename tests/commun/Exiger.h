#pragma once

#include <cstdio>
#include <cstdlib>

// Checks inside a death test's child, where gtest's assertions do not reach the parent: a
// failure says what on stderr and ends the child with code 1.
[[noreturn]] inline void echouer(const char* quoi)
{
    std::fprintf(stderr, "échec : %s\n", quoi);
    std::_Exit(1);
}

inline void exiger(bool condition, const char* quoi)
{
    if (!condition)
        echouer(quoi);
}

// A fuzz target's own checks: a broken one ends the run, which libFuzzer reports with its input.
#pragma once

#include <cstdlib>

inline void Require(bool condition)
{
    if (!condition)
        std::abort();
}

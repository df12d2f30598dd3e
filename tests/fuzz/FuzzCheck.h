#pragma once

#include <cstdio>
#include <string_view>

namespace vantor::fuzz {

// An invariant that does not hold: says which, then traps, so that libFuzzer keeps the input as a crash.
[[noreturn]] inline void failInvariant(std::string_view what, std::string_view detail = {})
{
    std::fprintf(
        stderr, "\n==== vantor fuzz invariant failed: %.*s\n", static_cast<int>(what.size()), what.data());
    if (!detail.empty()) {
        // Written as bytes: document lines may hold NUL.
        std::fwrite(detail.data(), 1, detail.size(), stderr);
        std::fputc('\n', stderr);
    }
    std::fflush(stderr);
    __builtin_trap();
}

inline void check(bool holds, std::string_view what)
{
    if (!holds)
        failInvariant(what);
}

} // namespace vantor::fuzz

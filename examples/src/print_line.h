// One line of a program's report on stdout, flushed: the text goes out
// byte for byte (a peer's message may hold any bytes, NUL included).
#pragma once

#include <cstdio>
#include <string>

namespace qxexample {

inline void PrintLine(const std::string& label, const std::string& text) {
    std::fwrite(label.data(), 1, label.size(), stdout);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace qxexample

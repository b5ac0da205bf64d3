#include "tokens.hpp"

#include <cstdio>
#include <new>

#include "messages.hpp"
#include "run_end.hpp"

namespace qx {

std::vector<std::string> SplitWords(const char* text) {
    std::vector<std::string> words;
    try {
        std::string word;
        for (const char* p = text; p && *p; ++p) {
            if (*p == ' ') {
                if (!word.empty()) words.push_back(word);
                word.clear();
            } else {
                word.push_back(*p);
            }
        }
        if (!word.empty()) words.push_back(word);
    } catch (const std::bad_alloc&) {
        std::fputs(msg::kMemAllocation, stdout);
        EndRun(1);
    }
    return words;
}

}  // namespace qx

#include "recursion_count.h"

#include <limits>

namespace Corvane_QxWallet {

void RecursionCount::increment() {
    for (std::size_t& word : words_)
        if (++word != 0) return;  // no carry into the next word
    words_.push_back(1);
}

void RecursionCount::decrement() {
    for (std::size_t i = 0; i < words_.size(); ++i) {
        if (words_[i] == 0) {  // borrow from the next word
            words_[i] = std::numeric_limits<std::size_t>::max();
            continue;
        }
        if (--words_[i] == 0 && i + 1 == words_.size()) words_.pop_back();
        return;
    }
}

}  // namespace Corvane_QxWallet

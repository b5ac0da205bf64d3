// An unsigned count of unbounded size: machine words, least significant
// first; zero is the empty sequence.
#ifndef PATHWISE_RECURSION_COUNT_H
#define PATHWISE_RECURSION_COUNT_H

#include <cstddef>
#include <vector>

namespace Corvane_QxWallet {

class RecursionCount {
public:
    RecursionCount() = default;
    // Starts from the given words (least significant first, no zero last word).
    explicit RecursionCount(std::vector<std::size_t> words) : words_(std::move(words)) {}

    void increment();
    // Does nothing on zero.
    void decrement();

    bool isZero() const { return words_.empty(); }
    bool isOne() const { return words_.size() == 1 && words_[0] == 1; }
    bool isGreaterThanOne() const { return !isZero() && !isOne(); }
    const std::vector<std::size_t>& words() const { return words_; }

private:
    std::vector<std::size_t> words_;
};

}  // namespace Corvane_QxWallet

#endif

#include "cipher_suites.hpp"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFFu;

constexpr CipherSuite kCipherSuites[] = {
    {16, 2, 19, 1},   {16, 2, 20, 4},       {16, 2, 21, 128}, {16, 2, 21, 192},   {16, 2, 21, 256},
    {17, 4, kNone, kNone}, {17, 6, kNone, kNone}, {17, 7, kNone, kNone}, {18, 5, 22, 2048},
};
constexpr std::uint32_t kCipherSuiteCount = sizeof kCipherSuites / sizeof kCipherSuites[0];
static_assert(sizeof(CipherSuite) == 16 && sizeof kCipherSuites == 144, "the table is nine rows of 16 bytes");

void SetStatus(std::uint32_t* status, std::uint32_t value) {
    if (status) *status = value;
}

}  // namespace

extern "C" QXGSSCONFIG_EXPORT std::int32_t AlgGetCipherSuites(std::uint32_t* count, CipherSuite** suites,
                                                               std::uint32_t* status) {
    if (!count || !suites) {
        SetStatus(status, QX_CIPHER_SUITES_NULL_ARGUMENT);
        return 0;
    }
    *suites = static_cast<CipherSuite*>(std::malloc(sizeof kCipherSuites));
    if (!*suites) {
        SetStatus(status, QX_CIPHER_SUITES_NO_MEMORY);
        return 0;
    }
    std::memcpy(*suites, kCipherSuites, sizeof kCipherSuites);
    *count = kCipherSuiteCount;
    SetStatus(status, QX_CIPHER_SUITES_OK);
    return 1;
}

// Fuzzes qxat_parse_logon (over the fake framework's principal parser) and
// qxat_validate_kerberos_logdata. Input: byte 0 the parse options, byte 1
// and bit 7 of byte 0 which outputs are asked for, the rest the logon string
// (up to its first NUL). Aborts when a result breaks the parser's promises:
// a failure hands out nothing, a success hands out texts no longer than the
// string, the minor and major status agree, no principal handle is kept.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fake_framework.h"
#include "gssp2qxnego.h"

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const uint32_t options = data[0] & 0x7Fu;
    const unsigned given = data[1] | ((data[0] & 0x80u) << 1);
    const std::string logon(reinterpret_cast<const char*>(data + 2), size - 2);
    const char* text = logon.c_str();
    const size_t length = std::strlen(text);

    char* out[9];
    char** slot[9];
    for (int i = 0; i < 9; ++i) {
        out[i] = nullptr;
        slot[i] = (given & (1u << i)) != 0 ? &out[i] : nullptr;
    }
    gssp_status minor = 0;
    const gssp_status major = qxat_parse_logon(&minor, text, slot[0], slot[1], slot[2], slot[3], slot[4], slot[5],
                                               slot[6], slot[7], slot[8], options);
    check(major == 0 || major == 0x000D0000u);
    check((major == 0) == (minor == 0x21000064u));
    check(fake_live_handles() == 0);
    for (int i = 0; i < 9; ++i) {
        if (major != 0) {
            check(out[i] == nullptr);
        } else if (out[i] != nullptr) {
            check(std::strlen(out[i]) <= length);
        }
        std::free(out[i]);
    }

    const bool kerberos_refused = std::strstr(text, "authcid=") != nullptr || std::strstr(text, "password=") != nullptr;
    check(qxat_validate_kerberos_logdata(&minor, text) == (kerberos_refused ? 0x000D0000u : 0u));
    return 0;
}

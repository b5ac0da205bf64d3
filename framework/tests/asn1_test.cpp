#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qxgss_services.h"

namespace {

constexpr uint32_t kOk = 0x21000064u;

std::string Hex(const gssp_buffer_desc& b) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    const auto* p = static_cast<const unsigned char*>(b.value);
    for (uint64_t i = 0; i < b.length; ++i) {
        out += digits[p[i] >> 4];
        out += digits[p[i] & 15];
    }
    return out;
}

std::vector<unsigned char> Bytes(const std::string& hex) {
    std::vector<unsigned char> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// A token shaped like the negotiation's: [0] { [0] list { [0] mech {...} x2 } items }.
gssp_buffer_desc EncodeSample() {
    gsspasn_encode_handle h = nullptr;
    EXPECT_EQ(gsspasn_open_encode_handle(&h), kOk);
    EXPECT_EQ(gsspasn_set_encode_tagging(h, 0), kOk);
    unsigned char oid1[] = {0x2a, 0x86, 0x48, 0x86, 0xf7, 0x12, 0x01, 0x02, 0x02};
    unsigned char oid2[] = {0x2b, 0x06, 0x01};
    gssp_OID_desc o1{sizeof oid1, oid1}, o2{sizeof oid2, oid2};
    uint32_t state = 1, big = 0x80, max = 0xFFFFFFFFu;
    char token[] = "tok";
    gssp_buffer_desc t{3, token};
    gsspasn_start_encode_sequence(h, 0);
    gsspasn_start_encode_sequence(h, 0);
    gsspasn_start_encode_sequence(h, 0);
    gsspasn_put_encode_item(h, 0, GSSPASN_TYPE_OID, &o1);
    gsspasn_put_encode_item(h, 1, GSSPASN_TYPE_INTEGER, &state);
    gsspasn_put_encode_item(h, 6, GSSPASN_TYPE_BUFFER, &t);
    gsspasn_stop_encode_sequence(h, 0);
    gsspasn_start_encode_sequence(h, 0);
    gsspasn_put_encode_item(h, 0, GSSPASN_TYPE_OID, &o2);
    gsspasn_put_encode_item(h, 1, GSSPASN_TYPE_INTEGER, &big);
    gsspasn_stop_encode_sequence(h, 0);
    gsspasn_stop_encode_sequence(h, 0);
    gsspasn_put_encode_item(h, 1, GSSPASN_TYPE_INTEGER, &max);
    EXPECT_EQ(gsspasn_stop_encode_sequence(h, 0), kOk);
    gssp_buffer_desc out{};
    EXPECT_EQ(gsspasn_close_encode_handle(&h, &out), kOk);
    EXPECT_EQ(h, nullptr);
    return out;
}

TEST(Asn1, EncodesDefiniteLengthsAndMinimalIntegers) {
    gssp_buffer_desc out = EncodeSample();
    EXPECT_EQ(Hex(out),
              "a029"            // [0] top
              "a020"            // [0] list
              "a013" "80092a864886f712010202" "810101" "8603746f6b"
              "a009" "80032b0601" "81020080"
              "8105" "00ffffffff");
    gssp_release_buffer(nullptr, &out);
}

TEST(Asn1, DecodesSequencesInDocumentOrderAndItemsByTag) {
    gssp_buffer_desc token = EncodeSample();
    gsspasn_decode_handle h = nullptr;
    ASSERT_EQ(gsspasn_open_decode_handle(&h, &token), kOk);
    ASSERT_EQ(gsspasn_set_decode_tagging(h, 0), kOk);
    gsspasn_sequence_t top = nullptr, list = nullptr, mech = nullptr;
    int found = -1;
    ASSERT_EQ(gsspasn_get_top_decode_sequence(h, 0, &top, &found), kOk);
    EXPECT_EQ(found, 2);  // the list and one item
    ASSERT_EQ(gsspasn_get_decode_sequence(h, 0, &list, &found), kOk);
    EXPECT_EQ(found, 2);  // two mechanisms
    ASSERT_EQ(gsspasn_get_decode_sequence(h, 0, &mech, &found), kOk);
    EXPECT_EQ(found, 3);
    gssp_OID_desc oid{};
    ASSERT_EQ(gsspasn_get_decode_item(mech, 0, GSSPASN_TYPE_OID, &oid), kOk);
    EXPECT_EQ(oid.length, 9u);
    std::free(oid.elements);
    gssp_buffer_desc inner{};
    ASSERT_EQ(gsspasn_get_decode_item(mech, 6, GSSPASN_TYPE_BUFFER, &inner), kOk);
    EXPECT_EQ(std::string(static_cast<char*>(inner.value), inner.length), "tok");
    gssp_release_buffer(nullptr, &inner);
    EXPECT_EQ(gsspasn_get_decode_item(mech, 7, GSSPASN_TYPE_BUFFER, &inner), 0xE10000FBu);
    ASSERT_EQ(gsspasn_get_decode_sequence(h, 0, &mech, &found), kOk);
    uint32_t value = 0;
    ASSERT_EQ(gsspasn_get_decode_item(mech, 1, GSSPASN_TYPE_INTEGER, &value), kOk);
    EXPECT_EQ(value, 0x80u);
    ASSERT_EQ(gsspasn_get_decode_item(top, 1, GSSPASN_TYPE_INTEGER, &value), kOk);
    EXPECT_EQ(value, 0xFFFFFFFFu);
    ASSERT_EQ(gsspasn_get_decode_sequence(h, 0, &mech, &found), kOk);
    EXPECT_EQ(found, 0);  // no further sequence
    EXPECT_EQ(mech, nullptr);
    EXPECT_EQ(gsspasn_close_decode_handle(&h), kOk);
    gssp_release_buffer(nullptr, &token);
}

TEST(Asn1, TopOfAnotherTagIsNotFound) {
    auto bytes = Bytes("a1028000");
    gssp_buffer_desc token{bytes.size(), bytes.data()};
    gsspasn_decode_handle h = nullptr;
    ASSERT_EQ(gsspasn_open_decode_handle(&h, &token), kOk);
    gsspasn_sequence_t top = nullptr;
    int found = -1;
    EXPECT_EQ(gsspasn_get_top_decode_sequence(h, 0, &top, &found), kOk);
    EXPECT_EQ(found, 0);
    gsspasn_close_decode_handle(&h);
}

TEST(Asn1, MalformedTokensAreRejected) {
    const char* cases[] = {
        "a0",              // no length
        "a005800100",      // length beyond the token
        "a0028000ff",      // trailing byte
        "a080800000",      // indefinite length
        "a08103800100",    // long form for a short length
        "a00380",          // inner element without length
        "a003a00180",      // inner length beyond its parent
        "bf8001028000",    // high tag in non-minimal form
    };
    for (const char* hex : cases) {
        auto bytes = Bytes(hex);
        gssp_buffer_desc token{bytes.size(), bytes.data()};
        gsspasn_decode_handle h = nullptr;
        ASSERT_EQ(gsspasn_open_decode_handle(&h, &token), kOk) << hex;
        gsspasn_sequence_t top = nullptr;
        int found = -1;
        EXPECT_EQ(gsspasn_get_top_decode_sequence(h, 0, &top, &found), 0xE10000DFu) << hex;
        EXPECT_EQ(top, nullptr);
        gsspasn_close_decode_handle(&h);
    }
}

TEST(Asn1, DeepNestingIsRejected) {
    std::vector<unsigned char> bytes = {0x80, 0x00};
    for (int i = 0; i < 40; ++i) {
        std::vector<unsigned char> outer = {0xa0, static_cast<unsigned char>(bytes.size())};
        if (bytes.size() >= 0x80) outer = {0xa0, 0x81, static_cast<unsigned char>(bytes.size())};
        outer.insert(outer.end(), bytes.begin(), bytes.end());
        bytes = outer;
    }
    gssp_buffer_desc token{bytes.size(), bytes.data()};
    gsspasn_decode_handle h = nullptr;
    ASSERT_EQ(gsspasn_open_decode_handle(&h, &token), kOk);
    gsspasn_sequence_t top = nullptr;
    int found = -1;
    EXPECT_EQ(gsspasn_get_top_decode_sequence(h, 0, &top, &found), 0xE10000DFu);
    gsspasn_close_decode_handle(&h);
}

TEST(Asn1, IntegersMustBeMinimalAndFit) {
    struct Case {
        const char* hex;
        uint32_t status;
        uint32_t value;
    } cases[] = {
        {"a003800100", kOk, 0},
        {"a00380017f", kOk, 127},
        {"a004800200ff", kOk, 255},
        {"a0078005 00ffffffff", kOk, 0xFFFFFFFFu},
        {"a0048002007f", 0xE10000DFu, 99},       // not minimal
        {"a003800180", 0xE10000DFu, 99},         // negative
        {"a0078005 0100000000", 0xE10000DFu, 99},  // beyond 32 bits
        {"a0028000", 0xE10000DFu, 99},           // no contents
        {"a003810100", 0xE10000FBu, 99},         // other tag: absent
    };
    for (const Case& c : cases) {
        std::string hex;
        for (const char* p = c.hex; *p; ++p) {
            if (*p != ' ') hex += *p;
        }
        auto bytes = Bytes(hex);
        gssp_buffer_desc token{bytes.size(), bytes.data()};
        gsspasn_decode_handle h = nullptr;
        ASSERT_EQ(gsspasn_open_decode_handle(&h, &token), kOk);
        gsspasn_sequence_t top = nullptr;
        int found = 0;
        ASSERT_EQ(gsspasn_get_top_decode_sequence(h, 0, &top, &found), kOk) << c.hex;
        uint32_t value = 99;
        EXPECT_EQ(gsspasn_get_decode_item(top, 0, GSSPASN_TYPE_INTEGER, &value), c.status) << c.hex;
        EXPECT_EQ(value, c.value) << c.hex;
        gsspasn_close_decode_handle(&h);
    }
}

TEST(Asn1, UnbalancedEncodingGivesNoOutput) {
    gsspasn_encode_handle h = nullptr;
    ASSERT_EQ(gsspasn_open_encode_handle(&h), kOk);
    gsspasn_start_encode_sequence(h, 0);
    gsspasn_start_encode_sequence(h, 1);
    EXPECT_EQ(gsspasn_stop_encode_sequence(h, 0), 0xE10000D7u);
    gssp_buffer_desc out{};
    EXPECT_EQ(gsspasn_close_encode_handle(&h, &out), 0xE10000D7u);
    EXPECT_EQ(out.value, nullptr);
    EXPECT_EQ(out.length, 0u);
    // Closing without output frees everything.
    ASSERT_EQ(gsspasn_open_encode_handle(&h), kOk);
    gsspasn_start_encode_sequence(h, 0);
    EXPECT_EQ(gsspasn_close_encode_handle(&h, nullptr), kOk);
    EXPECT_EQ(gsspasn_put_encode_item(nullptr, 0, GSSPASN_TYPE_INTEGER, &out), 0xE10000D4u);
}

}  // namespace

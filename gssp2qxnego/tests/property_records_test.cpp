// qxat_fill_authorizations, qxat_fill_mechinfo and the record walker.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fake_framework.h"
#include "gssp2qxnego.h"
#include "test_memory.h"

namespace {

struct Record {
    uint16_t type;
    std::string data;
    uint16_t length = 0;

    bool operator==(const Record& o) const { return type == o.type && data == o.data; }
};

std::ostream& operator<<(std::ostream& os, const Record& r) {
    return os << "{" << r.type << ", \"" << r.data << "\", " << r.length << "}";
}

// The length a record of this type and data must have.
uint16_t expected_length(uint16_t type, size_t data_length) {
    if (type == QXAT_PROP_FLAGS) {
        return 16;
    }
    const bool no_room = type == QXAT_PROP_PRIMARY_NAME || type == QXAT_PROP_SECOND_NAME || type == QXAT_PROP_EXTRA_TEXT;
    return (uint16_t)((data_length + (no_room ? 6 : 7) + 3) & ~size_t(3));
}

// Walks a buffer, checking that the records fill it exactly, that each has
// the length of its kind and that its fill is zero.
std::vector<Record> decode(const gssp_buffer_desc& b) {
    std::vector<Record> records;
    const unsigned char* bytes = static_cast<const unsigned char*>(b.value);
    uint64_t offset = 0;
    PropertyRecordView v;
    while (qxat_next_property_record(bytes, b.length, &offset, &v)) {
        const std::string data(reinterpret_cast<const char*>(v.data), v.data_size);
        EXPECT_EQ(v.data_size, v.header.data_length);
        EXPECT_EQ(v.header.length, expected_length(v.header.type, data.size())) << "type " << v.header.type;
        for (uint16_t i = 6 + v.header.data_length; i < v.header.length; ++i) {
            EXPECT_EQ(bytes[v.offset + i], 0) << "fill of type " << v.header.type;
        }
        records.push_back({v.header.type, data, v.header.length});
    }
    EXPECT_EQ(offset, b.length) << "records do not fill the buffer";
    return records;
}

// A null-terminated list of malloc'd entries, as the caller of
// qxat_fill_authorizations owns it.
struct List {
    explicit List(std::vector<std::string> entries, bool present = true) : present(present) {
        for (const std::string& e : entries) {
            char* p = static_cast<char*>(std::malloc(e.size() + 1));
            std::memcpy(p, e.c_str(), e.size() + 1);
            items.push_back(p);
        }
        items.push_back(nullptr);
    }
    ~List() {
        for (char* p : items) {
            std::free(p);
        }
    }
    char** get() { return present ? items.data() : nullptr; }
    std::vector<std::string> now() const {
        std::vector<std::string> out;
        for (size_t i = 0; items[i] != nullptr; ++i) {
            out.push_back(items[i]);
        }
        return out;
    }
    std::vector<char*> items;
    bool present;
};

const std::string F0 = std::string("\0", 1), F1 = std::string("\1", 1);

struct AuthCase {
    const char* what;
    uint32_t kind;
    std::vector<std::string> names, profiles, users;
    bool lists_present;
    const char* optional_name;
    const char* extra_text;
    const char* requested_user;
    const char* requested_profile;
    int32_t with_extra;
    gssp_status major, minor;
    std::vector<Record> records = {};  // only checked on success
    std::vector<std::string> users_after = {};
};

const gssp_status kOk = 0x21000064;
const uint16_t U = QXAT_PROP_USER, O = QXAT_PROP_OPTIONAL_NAME, FL = QXAT_PROP_FLAGS, PR = QXAT_PROP_PROFILE,
               N = QXAT_PROP_NAME_ENTRY, P5 = QXAT_PROP_PRIMARY_NAME, P12 = QXAT_PROP_PRIMARY_NAME_TERM,
               S = QXAT_PROP_SECOND_NAME, X = QXAT_PROP_EXTRA_TEXT;

// Primary name "prim", second name "second", default user "dflt".
const AuthCase kAuthCases[] = {
    {"kind 1: default user, flag set", 1, {"n"}, {"p"}, {"u"}, true, nullptr, "xt", nullptr, nullptr, 0, 0, kOk,
     {{U, "dflt"}, {FL, F1}, {P5, "prim"}, {P12, "prim"}, {S, "second"}}, {"u"}},
    {"kind 1 with a requested user", 1, {}, {}, {"u"}, true, nullptr, nullptr, "u", nullptr, 0, 0x000D0000, 0, {},
     {"u"}},
    {"kind 1 with a requested profile", 1, {}, {"p"}, {}, true, nullptr, nullptr, nullptr, "p", 0, 0x000D0000, 0},
    {"everything, in order", 0, {"n1", "n2"}, {"prof"}, {"alice"}, true, "opt", "xt", nullptr, nullptr, 1, 0, kOk,
     {{U, "alice"}, {O, "opt"}, {FL, F0}, {PR, "prof"}, {N, "n1"}, {N, "n2"}, {P5, "prim"}, {P12, "prim"},
      {S, "second"}, {X, "xt"}},
     {"alice"}},
    {"extra switch without text", 0, {}, {}, {}, true, nullptr, nullptr, nullptr, nullptr, 1, 0, kOk,
     {{U, "dflt"}, {FL, F1}, {P5, "prim"}, {P12, "prim"}, {S, "second"}}},
    {"extra text without switch", 0, {}, {}, {}, false, nullptr, "xt", nullptr, nullptr, 0, 0, kOk,
     {{U, "dflt"}, {FL, F1}, {P5, "prim"}, {P12, "prim"}, {S, "second"}}},
    {"only extuser: removed, default user", 0, {}, {}, {"extuser"}, true, nullptr, nullptr, nullptr, nullptr, 0, 0,
     kOk, {{U, "dflt"}, {FL, F1}, {P5, "prim"}, {P12, "prim"}, {S, "second"}}, {}},
    {"extuser requested in capitals after removal", 0, {}, {}, {"bob", "ExtUser", "carol"}, true, nullptr, nullptr,
     "EXTUSER", nullptr, 0, 0, kOk, {{U, "dflt"}, {FL, F1}, {P5, "prim"}, {P12, "prim"}, {S, "second"}},
     {"bob", "carol"}},
    {"extuser requested without an extuser entry", 0, {}, {}, {"bob"}, true, nullptr, nullptr, "extuser", nullptr, 0,
     0x000D0000, 0, {}, {"bob"}},
    {"extuser twice keeps the one moved into place", 0, {}, {}, {"extuser", "extuser"}, true, nullptr, nullptr,
     nullptr, nullptr, 0, 0, kOk, {{U, "extuser"}, {FL, F0}, {P5, "prim"}, {P12, "prim"}, {S, "second"}},
     {"extuser"}},
    {"last entry moves into the freed place", 0, {}, {}, {"a", "EXTUSER", "b", "c"}, true, nullptr, nullptr, "b",
     nullptr, 0, 0, kOk, {{U, "b"}, {FL, F0}, {P5, "prim"}, {P12, "prim"}, {S, "second"}}, {"a", "c", "b"}},
    {"requested user and profile as requested, not as listed", 0, {}, {"Admin", "Guest"}, {"Bob", "eve"}, true,
     nullptr, nullptr, "BOB", "guest", 0, 0, kOk,
     {{U, "BOB"}, {FL, F0}, {PR, "guest"}, {P5, "prim"}, {P12, "prim"}, {S, "second"}}, {"Bob", "eve"}},
    {"requested user not listed", 0, {}, {}, {"bob"}, true, nullptr, nullptr, "eve", nullptr, 0, 0x000D0000, 0, {},
     {"bob"}},
    {"requested user with no list", 0, {}, {}, {}, false, nullptr, nullptr, "dflt", nullptr, 0, 0x000D0000, 0},
    {"two users, none requested", 0, {}, {}, {"a", "b"}, true, nullptr, nullptr, nullptr, nullptr, 0, 0x000D0000, 0,
     {}, {"a", "b"}},
    {"requested profile not listed", 0, {}, {"a"}, {}, true, nullptr, nullptr, nullptr, "b", 0, 0x000D0000, 0},
    {"two profiles, none requested", 0, {}, {"a", "b"}, {}, true, nullptr, nullptr, nullptr, nullptr, 0, 0x000D0000,
     0},
    {"one profile, none requested", 0, {}, {"only"}, {}, true, nullptr, nullptr, nullptr, nullptr, 0, 0, kOk,
     {{U, "dflt"}, {FL, F1}, {PR, "only"}, {P5, "prim"}, {P12, "prim"}, {S, "second"}}},
    {"empty lists", 0, {}, {}, {}, true, nullptr, nullptr, nullptr, nullptr, 0, 0, kOk,
     {{U, "dflt"}, {FL, F1}, {P5, "prim"}, {P12, "prim"}, {S, "second"}}, {}},
    {"empty texts", 0, {""}, {""}, {""}, true, "", "", nullptr, nullptr, 1, 0, kOk,
     {{U, ""}, {O, ""}, {FL, F0}, {PR, ""}, {N, ""}, {P5, "prim"}, {P12, "prim"}, {S, "second"}, {X, ""}}, {""}},
};

class PropertyRecords : public ::testing::Test {
protected:
    void SetUp() override {
        fake_reset();
        test_memory::reset();
    }
    void TearDown() override {
        std::free(out.value);
        fake_reset();
        test_memory::reset();
    }
    gssp_buffer_desc out = {99, nullptr};
    gssp_status minor = 0x12345678;
};

TEST_F(PropertyRecords, Authorizations) {
    for (const AuthCase& c : kAuthCases) {
        SCOPED_TRACE(c.what);
        List names(c.names), profiles(c.profiles, c.lists_present), users(c.users, c.lists_present);
        AuthorizationInfo info = {c.kind, c.extra_text, nullptr, "second", "dflt",
                                  names.get(), profiles.get(), users.get()};
        std::free(out.value);
        out = {99, nullptr};
        test_memory::reset();
        EXPECT_EQ(qxat_fill_authorizations(&minor, &out, "prim", c.optional_name, &info, c.requested_user,
                                           c.requested_profile, c.with_extra),
                  c.major);
        EXPECT_EQ(minor, c.minor);
        if (c.major == 0) {
            EXPECT_EQ(decode(out), c.records);
        } else {
            EXPECT_EQ(out.length, 0u);
            EXPECT_EQ(out.value, nullptr);
            EXPECT_EQ(test_memory::allocations(), 0);
        }
        if (c.lists_present) {
            EXPECT_EQ(users.now(), c.users_after);
        }
    }
}

// Record lengths: text with terminator room is data + 7 rounded up to 4,
// without room data + 6 rounded up.
TEST_F(PropertyRecords, RecordLengthsFollowTheTextLength) {
    const struct {
        const char* name;
        uint16_t with_room, without_room;
    } cases[] = {{"", 8, 8}, {"a", 8, 8}, {"ab", 12, 8}, {"abc", 12, 12}, {"abcdef", 16, 12}, {"abcdefg", 16, 16}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AuthorizationInfo info = {1, nullptr, nullptr, "s", c.name, nullptr, nullptr, nullptr};
        std::free(out.value);
        ASSERT_EQ(qxat_fill_authorizations(&minor, &out, c.name, nullptr, &info, nullptr, nullptr, 0), 0u);
        const std::vector<Record> r = decode(out);
        ASSERT_EQ(r.size(), 5u);
        EXPECT_EQ(r[0].type, U);
        EXPECT_EQ(r[0].length, c.with_room);
        EXPECT_EQ(r[2].type, P5);
        EXPECT_EQ(r[2].length, c.without_room);
        EXPECT_EQ(r[3].length, c.with_room);
        EXPECT_EQ(out.length, 2u * c.with_room + c.without_room + 16 + 8);
    }
}

// The exact bytes of the smallest output.
TEST_F(PropertyRecords, AuthorizationBytes) {
    AuthorizationInfo info = {1, nullptr, nullptr, "s", "d", nullptr, nullptr, nullptr};
    ASSERT_EQ(qxat_fill_authorizations(&minor, &out, "p", nullptr, &info, nullptr, nullptr, 0), 0u);
    const unsigned char expected[] = {
        9, 0, 8, 0, 1, 0, 'd', 0,                         // user
        8, 0, 16, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // flags: default user
        5, 0, 8, 0, 1, 0, 'p', 0,                         // primary name
        12, 0, 8, 0, 1, 0, 'p', 0,                        // primary name again
        11, 0, 8, 0, 1, 0, 's', 0,                        // second name
    };
    ASSERT_EQ(out.length, sizeof expected);
    EXPECT_EQ(std::memcmp(out.value, expected, sizeof expected), 0);
}

// Texts longer than a record can describe are refused; the largest ones
// that fit are written whole.
TEST_F(PropertyRecords, TextsTooLongForARecordAreRefused) {
    const std::string fits_room(65525, 'r'), too_long_room(65526, 'r');
    const std::string fits_plain(65526, 'p'), too_long_plain(65527, 'p'), huge(70000, 'h');
    const struct {
        const char* what;
        const std::string* user;     // default user: a record with room
        const std::string* primary;  // primary: records with (12) and without (5) room
        const std::string* second;   // without room
        gssp_status major, minor;
    } cases[] = {
        {"largest texts", &fits_room, &fits_room, &fits_plain, 0, kOk},
        {"user one byte too long", &too_long_room, &fits_room, &fits_plain, 0x000D0000, 0xE10000CD},
        {"second name one byte too long", &fits_room, &fits_room, &too_long_plain, 0x000D0000, 0xE10000CD},
        {"primary name too long for its record with room", &fits_room, &too_long_room, &fits_plain, 0x000D0000,
         0xE10000CD},
        {"huge", &huge, &huge, &huge, 0x000D0000, 0xE10000CD},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AuthorizationInfo info = {1, nullptr, nullptr, c.second->c_str(), c.user->c_str(), nullptr, nullptr, nullptr};
        std::free(out.value);
        out = {99, nullptr};
        test_memory::reset();
        EXPECT_EQ(qxat_fill_authorizations(&minor, &out, c.primary->c_str(), nullptr, &info, nullptr, nullptr, 0),
                  c.major);
        EXPECT_EQ(minor, c.minor);
        if (c.major == 0) {
            const std::vector<Record> r = decode(out);
            ASSERT_EQ(r.size(), 5u);
            EXPECT_EQ(r[0].data, *c.user);
            EXPECT_EQ(r[0].length, 65532);
            EXPECT_EQ(r[4].data, *c.second);
            EXPECT_EQ(r[4].length, 65532);
        } else {
            EXPECT_EQ(out.value, nullptr);
            EXPECT_EQ(out.length, 0u);
            EXPECT_EQ(test_memory::allocations(), 0);
        }
    }
    // A too-long entry of a list or the extra text is refused the same way.
    List names({"ok", too_long_room});
    AuthorizationInfo info = {0, too_long_plain.c_str(), nullptr, "s", "d", names.get(), nullptr, nullptr};
    std::free(out.value);
    out = {0, nullptr};
    EXPECT_EQ(qxat_fill_authorizations(&minor, &out, "p", nullptr, &info, nullptr, nullptr, 0), 0x000D0000u);
    EXPECT_EQ(minor, 0xE10000CDu);
    List short_names({"ok"});
    info.name_list = short_names.get();
    EXPECT_EQ(qxat_fill_authorizations(&minor, &out, "p", nullptr, &info, nullptr, nullptr, 1), 0x000D0000u);
    EXPECT_EQ(minor, 0xE10000CDu);
    EXPECT_EQ(qxat_fill_authorizations(&minor, &out, "p", nullptr, &info, nullptr, nullptr, 0), 0u);
}

TEST_F(PropertyRecords, AuthorizationsIncompleteInput) {
    AuthorizationInfo info = {1, nullptr, nullptr, "s", "d", nullptr, nullptr, nullptr};
    AuthorizationInfo no_second = {1, nullptr, nullptr, nullptr, "d", nullptr, nullptr, nullptr};
    AuthorizationInfo no_default = {1, nullptr, nullptr, "s", nullptr, nullptr, nullptr, nullptr};
    const struct {
        const char* what;
        gssp_buffer_t output;
        const char* primary;
        AuthorizationInfo* info;
    } cases[] = {
        {"no info", &out, "p", nullptr},
        {"no second name", &out, "p", &no_second},
        {"no default user", &out, "p", &no_default},
        {"no primary name", &out, nullptr, &info},
        {"no output buffer", nullptr, "p", &info},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        out = {99, nullptr};
        EXPECT_EQ(qxat_fill_authorizations(&minor, c.output, c.primary, nullptr, c.info, nullptr, nullptr, 0),
                  0x000D0000u);
        EXPECT_EQ(minor, 0xE10000CDu);
        EXPECT_EQ(out.value, nullptr);
    }
    out = {0, nullptr};
    EXPECT_EQ(qxat_fill_authorizations(nullptr, &out, "p", nullptr, &info, nullptr, nullptr, 0), 0u);
}

TEST_F(PropertyRecords, AuthorizationsAllocationFailure) {
    List users({"extuser"});
    AuthorizationInfo info = {0, nullptr, nullptr, "s", "d", nullptr, nullptr, users.get()};
    test_memory::fail_allocation(1);
    EXPECT_EQ(qxat_fill_authorizations(&minor, &out, "p", nullptr, &info, nullptr, nullptr, 0), 0x000D0000u);
    EXPECT_EQ(minor, 0xE30003F8u);
    EXPECT_EQ(out.value, nullptr);
    EXPECT_EQ(out.length, 0u);
    EXPECT_TRUE(users.now().empty()) << "the extuser entry is gone even though a later step failed";
}

// ---- qxat_fill_mechinfo --------------------------------------------------------

std::string der_of_qxnego() {
    std::string der = "\x06\x0A";
    der.append(static_cast<const char*>(fake_qxnego_oid.elements), fake_qxnego_oid.length);
    return der;
}

// A buffer built by qxat_fill_authorizations.
struct Existing {
    Existing() {
        AuthorizationInfo info = {1, nullptr, nullptr, "s", "d", nullptr, nullptr, nullptr};
        gssp_status minor = 0;
        EXPECT_EQ(qxat_fill_authorizations(&minor, &buffer, "p", nullptr, &info, nullptr, nullptr, 0), 0u);
    }
    ~Existing() { std::free(buffer.value); }
    gssp_buffer_desc buffer = {0, nullptr};
};

TEST_F(PropertyRecords, MechinfoWithoutExistingBufferAddsAFlagsRecord) {
    const unsigned char flag = 0x5A;
    for (bool with_empty : {false, true}) {
        gssp_buffer_desc empty = {0, nullptr};
        std::free(out.value);
        ASSERT_EQ(qxat_fill_mechinfo(&minor, with_empty ? &empty : nullptr, &out, &flag, &fake_qxnego_oid), 0u);
        EXPECT_EQ(minor, kOk);
        const std::vector<Record> expected = {{FL, std::string("\0\x5A", 2)},
                                              {QXAT_PROP_MECH_NAME, "QXNEGO"},
                                              {QXAT_PROP_MECH_OID_TEXT, FAKE_QXNEGO_DOTTED},
                                              {QXAT_PROP_MECH_OID_DER, der_of_qxnego()}};
        EXPECT_EQ(decode(out), expected);
        EXPECT_EQ(out.length, 16u + 16 + 28 + 20);
    }
}

TEST_F(PropertyRecords, MechinfoSetsTheFlagInTheExistingFlagsRecord) {
    Existing existing;
    const unsigned char flag = 1;
    ASSERT_EQ(qxat_fill_mechinfo(&minor, &existing.buffer, &out, &flag, &fake_qxnego_oid), 0u);
    const std::vector<Record> added = decode(out);
    ASSERT_EQ(added.size(), 3u) << "no second flags record";
    EXPECT_EQ(added[0].type, QXAT_PROP_MECH_NAME);
    const std::vector<Record> updated = decode(existing.buffer);
    ASSERT_EQ(updated.size(), 5u);
    EXPECT_EQ(updated[1], (Record{FL, std::string("\1\1", 2)}));
    EXPECT_EQ(updated[0], (Record{U, "d"}));
}

// Every flags record gets the flag; a flags record too short to hold it and
// broken records after it are left alone and nothing is written past the
// buffer.
TEST_F(PropertyRecords, MechinfoOnHandMadeBuffers) {
    const unsigned char flag = 7;
    const struct {
        const char* what;
        std::vector<unsigned char> bytes;
        std::vector<unsigned char> after;
        size_t added;
    } cases[] = {
        {"two flags records",
         {8, 0, 16, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         {8, 0, 16, 0, 2, 0, 1, 7, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 16, 0, 2, 0, 0, 7, 0, 0, 0, 0, 0, 0, 0, 0},
         3},
        {"flags record of 8 bytes", {8, 0, 8, 0, 0, 0, 0, 0}, {8, 0, 8, 0, 2, 0, 0, 7}, 3},
        {"flags record of 6 bytes is too short", {8, 0, 6, 0, 0, 0}, {8, 0, 6, 0, 0, 0}, 4},
        {"flags record of 4 bytes at the end", {9, 0, 8, 0, 1, 0, 'u', 0, 8, 0, 4, 0},
         {9, 0, 8, 0, 1, 0, 'u', 0, 8, 0, 4, 0}, 4},
        {"flags record running past the end", {8, 0, 16, 0, 1, 0, 0, 0}, {8, 0, 16, 0, 1, 0, 0, 0}, 4},
        {"zero length stops the walk", {9, 0, 0, 0, 0, 0, 8, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         {9, 0, 0, 0, 0, 0, 8, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 4},
        {"truncated header", {8, 0, 16}, {8, 0, 16}, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // An exact-size heap copy, so that AddressSanitizer sees any write past it.
        unsigned char* bytes = static_cast<unsigned char*>(std::malloc(c.bytes.size()));
        std::memcpy(bytes, c.bytes.data(), c.bytes.size());
        gssp_buffer_desc existing = {c.bytes.size(), bytes};
        std::free(out.value);
        ASSERT_EQ(qxat_fill_mechinfo(&minor, &existing, &out, &flag, &fake_qxnego_oid), 0u);
        EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + c.bytes.size()), c.after);
        EXPECT_EQ(decode(out).size(), c.added);
        std::free(bytes);
    }
}

TEST_F(PropertyRecords, MechinfoRefusals) {
    const unsigned char flag = 1;
    const struct {
        const char* what;
        const char* failing_call;  // made to fail with major 0x000D0000, minor 0xE1000070
        const char* null_call;     // made to succeed with a null result
        bool output, with_flag;
        gssp_OID oid;
        gssp_status minor;
    } cases[] = {
        {"no output", nullptr, nullptr, false, true, &fake_qxnego_oid, 0xE30003F6},
        {"no flag", nullptr, nullptr, true, false, &fake_qxnego_oid, 0xE30003F6},
        {"no OID", nullptr, nullptr, true, true, nullptr, 0xE30003F6},
        {"unknown OID", nullptr, nullptr, true, true, &fake_unknown_oid, 0xE1000068},
        {"name look-up fails", "gssp_oid_to_mechstr", nullptr, true, true, &fake_qxnego_oid, 0xE1000070},
        {"dotted look-up fails", "gssp_mechstr_to_oidstr", nullptr, true, true, &fake_qxnego_oid, 0xE1000070},
        {"DER look-up fails", "gssp_oidstr_to_oidder", nullptr, true, true, &fake_qxnego_oid, 0xE1000070},
        {"no name", nullptr, "gssp_oid_to_mechstr", true, true, &fake_qxnego_oid, 0xE30003F6},
        {"no dotted text", nullptr, "gssp_mechstr_to_oidstr", true, true, &fake_qxnego_oid, 0xE30003F6},
        {"no DER bytes", nullptr, "gssp_oidstr_to_oidder", true, true, &fake_qxnego_oid, 0xE30003F6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake_reset();
        test_memory::reset();
        if (c.failing_call != nullptr) {
            fake_fail_call(c.failing_call, 0x000D0000, 0xE1000070);
        }
        if (c.null_call != nullptr) {
            fake_null_result(c.null_call);
        }
        Existing existing;
        const std::vector<unsigned char> before(static_cast<unsigned char*>(existing.buffer.value),
                                                static_cast<unsigned char*>(existing.buffer.value) +
                                                    existing.buffer.length);
        test_memory::reset();
        out = {99, nullptr};
        EXPECT_EQ(qxat_fill_mechinfo(&minor, &existing.buffer, c.output ? &out : nullptr, c.with_flag ? &flag : nullptr,
                                     c.oid),
                  0x000D0000u);
        EXPECT_EQ(minor, c.minor);
        EXPECT_EQ(out.value, nullptr);
        EXPECT_EQ(test_memory::allocations(), 0);
        const std::vector<unsigned char> after(static_cast<unsigned char*>(existing.buffer.value),
                                               static_cast<unsigned char*>(existing.buffer.value) +
                                                   existing.buffer.length);
        EXPECT_EQ(before, after) << "the existing buffer is unchanged on failure";
    }
    out = {0, nullptr};
}

TEST_F(PropertyRecords, MechinfoAllocationFailureLeavesTheExistingBuffer) {
    Existing existing;
    const std::vector<Record> before = decode(existing.buffer);
    const unsigned char flag = 1;
    test_memory::fail_allocation(1);
    EXPECT_EQ(qxat_fill_mechinfo(&minor, &existing.buffer, &out, &flag, &fake_qxnego_oid), 0x000D0000u);
    EXPECT_EQ(minor, 0xE30003F8u);
    EXPECT_EQ(out.length, 0u);
    EXPECT_EQ(out.value, nullptr);
    EXPECT_EQ(decode(existing.buffer), before);
}

TEST_F(PropertyRecords, MechinfoNameTooLongForARecord) {
    const unsigned char flag = 1;
    const std::string fits(65525, 'm'), too_long(65526, 'm');
    fake_set_extra_mech_name(fits.c_str());
    ASSERT_EQ(qxat_fill_mechinfo(&minor, nullptr, &out, &flag, &fake_extra_oid), 0u);
    const std::vector<Record> r = decode(out);
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[1].data, fits);
    std::free(out.value);
    out = {0, nullptr};
    fake_set_extra_mech_name(too_long.c_str());
    EXPECT_EQ(qxat_fill_mechinfo(&minor, nullptr, &out, &flag, &fake_extra_oid), 0x000D0000u);
    EXPECT_EQ(minor, 0xE10000CDu);
    EXPECT_EQ(out.value, nullptr);
}

// ---- The walker ----------------------------------------------------------------

TEST(PropertyWalk, StopsAtBrokenRecords) {
    const struct {
        const char* what;
        std::vector<unsigned char> bytes;
        int records;
        uint16_t last_data_size;
    } cases[] = {
        {"empty", {}, 0, 0},
        {"one record", {9, 0, 8, 0, 2, 0, 'a', 'b'}, 1, 2},
        {"data length beyond the record", {9, 0, 8, 0, 9, 0, 'a', 'b'}, 1, 2},
        {"length shorter than the header", {9, 0, 4, 0, 0, 0, 0, 0}, 0, 0},
        {"zero length", {9, 0, 0, 0, 0, 0, 0, 0}, 0, 0},
        {"second record past the end", {9, 0, 8, 0, 0, 0, 0, 0, 9, 0, 12, 0, 0, 0, 0, 0}, 1, 0},
        {"trailing bytes shorter than a header", {9, 0, 8, 0, 0, 0, 0, 0, 1, 2, 3}, 1, 0},
        {"length of 0xFFFF", {9, 0, 0xFF, 0xFF, 0, 0}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        uint64_t offset = 0;
        PropertyRecordView v = {};
        int n = 0;
        while (qxat_next_property_record(c.bytes.empty() ? nullptr : c.bytes.data(), c.bytes.size(), &offset, &v)) {
            ++n;
            EXPECT_LE(v.offset + v.header.length, c.bytes.size());
        }
        EXPECT_EQ(n, c.records);
        if (n > 0) {
            EXPECT_EQ(v.data_size, c.last_data_size);
        }
    }
}

}  // namespace

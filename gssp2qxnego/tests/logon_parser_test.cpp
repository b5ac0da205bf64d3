// qxat_parse_logon and qxat_validate_kerberos_logdata against the fake
// framework's principal parser, with the test allocator watching every block.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "fake_framework.h"
#include "gssp2qxnego.h"
#include "test_memory.h"

namespace {

enum { P, AUTHCID, PASSWORD, REALM, AUTHZID, MECH, USER, PROFILE, USERPROPS, OUTPUTS };
const unsigned kAll = (1u << OUTPUTS) - 1;
const unsigned kEngine = (1u << AUTHCID) | (1u << USER) | (1u << PROFILE);  // what the negotiation engine asks for

const gssp_status kSyntax = 0xE3000424, kTwoAuthcid = 0xE3000427, kTwoUser = 0xE3000428, kTwoProfile = 0xE3000429,
                  kUnknown = 0xE300042A, kOk = 0x21000064;

// Outputs of one call; slots not asked for stay at a marker so that a write
// to them would show.
struct Parse {
    char* out[OUTPUTS];
    gssp_status major;
    gssp_status minor;
};

char kUntouched[] = "untouched";

Parse run(const char* logon, uint32_t options, unsigned given = kAll) {
    Parse r;
    char** slot[OUTPUTS];
    for (int i = 0; i < OUTPUTS; ++i) {
        r.out[i] = kUntouched;
        slot[i] = (given & (1u << i)) != 0 ? &r.out[i] : nullptr;
    }
    r.minor = 0x12345678;
    r.major = qxat_parse_logon(&r.minor, logon, slot[P], slot[AUTHCID], slot[PASSWORD], slot[REALM], slot[AUTHZID],
                               slot[MECH], slot[USER], slot[PROFILE], slot[USERPROPS], options);
    for (int i = 0; i < OUTPUTS; ++i) {
        if ((given & (1u << i)) == 0) {
            EXPECT_EQ(r.out[i], kUntouched) << "output " << i << " was not asked for";
            r.out[i] = nullptr;
        }
    }
    return r;
}

void release(Parse& r) {
    for (char*& p : r.out) {
        std::free(p);
        p = nullptr;
    }
}

int held(const Parse& r) {
    int n = 0;
    for (char* p : r.out) {
        n += p != nullptr;
    }
    return n;
}

class LogonParser : public ::testing::Test {
protected:
    void SetUp() override {
        fake_reset();
        test_memory::reset();
    }
    void TearDown() override {
        EXPECT_EQ(fake_live_handles(), 0) << "a principal handle was not released";
        fake_reset();
        test_memory::reset();
    }
};

struct Case {
    const char* what;
    const char* logon;
    uint32_t options;
    unsigned given;
    gssp_status minor;
    // principal, authcid, password, realm, authzid, mech, user, profile, userproperties
    const char* expect[OUTPUTS];
};

const Case kCases[] = {
    {"empty string", "", 7, kAll, kOk, {}},
    {"three properties", "authcid=bob password=secret realm=EXAMPLE", 0, kAll, kOk,
     {nullptr, "bob", "secret", "EXAMPLE"}},
    {"every keyword, any case",
     "AUTHCID=a PassWord=b Realm=c authZID=d MECH=e User=f PROFILE=g UserProperties=h", 0, kAll, kOk,
     {nullptr, "a", "b", "c", "d", "e", "f", "g", "h"}},
    {"comma ends the string", "authcid=bob,password=x", 0, kAll, kOk, {nullptr, "bob"}},
    {"blank then comma ends the string", "authcid=bob ,password=x", 0, kAll, kOk, {nullptr, "bob"}},
    {"comma as first item", ",authcid=bob", 7, kAll, kOk, {}},
    {"single quotes hold blanks", "authcid='bob smith' realm=R", 0, kAll, kOk, {nullptr, "bob smith", nullptr, "R"}},
    {"doubled double quotes", "password=\"a\"\"b\" user=u", 0, kAll, kOk,
     {nullptr, nullptr, "a\"b", nullptr, nullptr, nullptr, "u"}},
    {"other quote, comma and blank inside quotes", "password='x\", y'", 0, kAll, kOk, {nullptr, nullptr, "x\", y"}},
    {"missing closing quote runs to the end", "password='a b,c", 0, kAll, kOk, {nullptr, nullptr, "a b,c"}},
    {"quoted value followed directly by a keyword", "user='a'profile=p", 0, kAll, kOk,
     {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "a", "p"}},
    {"empty quoted value", "user=''", 0, kAll, kOk, {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, ""}},
    {"empty value before a comma", "realm=,x", 0, kAll, kOk, {nullptr, nullptr, nullptr, ""}},
    {"leading white space of a value is skipped", "realm=\t\n R", 0, kAll, kOk, {nullptr, nullptr, nullptr, "R"}},
    {"control characters end a value", "realm=R\x01user=u", 0, kAll, kOk,
     {nullptr, nullptr, nullptr, "R", nullptr, nullptr, "u"}},
    {"bytes above 0x7F belong to a value", "user=j\xC3\xBCrgen", 0, kAll, kOk,
     {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "j\xC3\xBCrgen"}},
    {"two realms keep the first", "realm=A realm=B", 0, kAll, kOk, {nullptr, nullptr, nullptr, "A"}},
    {"two passwords, authzids, mechs, userproperties keep the first",
     "password=1 password=2 authzid=1 authzid=2 mech=1 mech=2 userproperties=1 userproperties=2", 0, kAll, kOk,
     {nullptr, nullptr, "1", nullptr, "1", "1", nullptr, nullptr, "1"}},
    {"two authcids", "authcid=a authcid=b", 0, kAll, kTwoAuthcid, {}},
    {"two users", "user=a realm=r user=b", 0, kAll, kTwoUser, {}},
    {"two profiles", "profile=a password=p profile=b", 0, kAll, kTwoProfile, {}},
    {"duplicate of an output not asked for is dropped", "authcid=a authcid=b user=u", 0, 1u << USER, kOk,
     {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "u"}},
    {"bare principal", "bob@EXAMPLE realm=R", 0, kAll, kOk, {"bob@EXAMPLE", nullptr, nullptr, "R"}},
    {"bare principal in second place", "realm=R bob", 0, kAll, kUnknown, {}},
    {"unknown keyword in second place", "realm=R color=red", 0, kAll, kUnknown, {}},
    {"unknown keyword as first item is a principal", "color=red", 0, kAll, kOk, {"color=red"}},
    {"blank before the first keyword", " authcid=bob", 0, kAll, kOk, {"authcid=bob"}},
    {"keyword at the end of the string is no keyword", "authcid=", 0, kAll, kOk, {"authcid="}},
    {"keyword at the end in second place", "realm=R authcid=", 0, kAll, kUnknown, {}},
    {"prefix then authcid", ",,ignored,authcid=bob", 0, kAll, kOk, {nullptr, "bob"}},
    {"prefix in quotes", ",,'a b,c' ,user=u", 0, kAll, kOk,
     {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "u"}},
    {"empty prefix", ",,,user=u", 0, kAll, kOk, {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "u"}},
    {"prefix then a principal", ",,x,bob@@pw", 2, kAll, kOk, {"bob@@pw", "bob", "pw"}},
    {"prefix followed by a blank", ",,ignored authcid=bob", 0, kAll, kSyntax, {}},
    {"prefix without value", ",,", 0, kAll, kSyntax, {}},
    {"prefix of blanks only", ",,   ", 0, kAll, kSyntax, {}},
    {"prefix running to the end", ",,abc", 0, kAll, kSyntax, {}},
    {"prefix then nothing", ",,x,", 0, kAll, kOk, {}},
    // No value where one is needed: nothing unread may be handed out.
    {"keyword followed by blanks only", "realm=R authcid=   ", 0, kAll, kSyntax, {}},
    {"keyword followed by blanks, output not asked for", "user=u password=  ", 0, 1u << USER, kSyntax, {}},
    {"first item of blanks only", "   ", 0, kAll, kSyntax, {}},
    {"first item of white space only", " \t\n", 7, kAll, kSyntax, {}},
    // Options 2: identity "@@" password.
    {"split at @@", "bob@@secret", 2, kAll, kOk, {"bob@@secret", "bob", "secret"}},
    {"split ignores bits above 2", "bob@@secret", 0xFFFFFFFA, kAll, kOk, {"bob@@secret", "bob", "secret"}},
    {"split with options 3", "bob@@secret", 3, kAll, kOk, {"bob@@secret", "bob", "secret"}},
    {"split at the last pair", "a@@b@@c", 2, kAll, kOk, {"a@@b@@c", "a@@b", "c"}},
    {"three @ in a row", "bob@@@pw", 2, kAll, kOk, {"bob@@@pw", "bob@", "pw"}},
    {"password is unescaped, identity kept", "b\\ob@@p\\@w\\\\", 2, kAll, kOk,
     {"b\\ob@@p\\@w\\\\", "b\\ob", "p@w\\"}},
    {"split begins with @@", "@@secret", 2, kAll, kUnknown, {}},
    {"split ends with @@", "bob@@", 2, kAll, kUnknown, {}},
    {"split without @@", "bob@secret", 2, kAll, kUnknown, {}},
    {"split of one character", "b", 2, kAll, kUnknown, {}},
    {"split only @@", "@@", 2, kAll, kUnknown, {}},
    {"split then authcid again", "bob@@pw authcid=x", 2, kAll, kTwoAuthcid, {}},
    {"split with outputs not asked for", "bob@@pw user=u", 2, 1u << USER, kOk,
     {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "u"}},
    {"options 0 only copies", "bob@@secret", 0, kAll, kOk, {"bob@@secret"}},
    {"options 4 only copies", "bob@@secret", 4, kAll, kOk, {"bob@@secret"}},
    {"options 5 only copies", "@@", 5, kAll, kOk, {"@@"}},
    // Options 7: the framework's principal syntax.
    {"framework: user", "bob", 7, kAll, kOk, {"bob", "bob"}},
    {"framework: user and realm", "bob@EXAMPLE.COM", 7, kAll, kOk, {"bob@EXAMPLE.COM", "bob@EXAMPLE.COM"}},
    {"framework: user, realm and password", "bob@R:pw", 7, kAll, kOk, {"bob@R:pw", "bob@R", "pw"}},
    {"framework: user and password", "bob:p@w", 7, kAll, kOk, {"bob:p@w", "bob", "p@w"}},
    {"framework: escapes", "b\\@b@R", 7, kAll, kOk, {"b\\@b@R", "b@b@R"}},
    {"framework: empty realm", "bob@:pw", 7, kAll, kOk, {"bob@:pw", "bob", "pw"}},
    {"framework: no user", "@R:pw", 7, kAll, kUnknown, {}},
    {"framework: two principals", "a;b", 7, kAll, kUnknown, {}},
    {"framework: empty principal", "a;", 7, kAll, kUnknown, {}},
    {"framework: trailing backslash", "bob\\", 7, kAll, kUnknown, {}},
    {"framework: then authcid", "bob authcid=x", 7, kAll, kTwoAuthcid, {}},
    {"framework: then user", "bob user=u profile=p", 7, kEngine, kOk,
     {nullptr, "bob", nullptr, nullptr, nullptr, nullptr, "u", "p"}},
    {"framework: quoted principal", "'bob smith@R:p w' user=u", 7, kEngine, kOk,
     {nullptr, "bob smith@R", nullptr, nullptr, nullptr, nullptr, "u"}},
    {"framework: principal not asked for", "bob@R:pw", 7, 1u << USER, kOk, {}},
};

TEST_F(LogonParser, Cases) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.what) + ": " + c.logon);
        test_memory::reset();
        Parse r = run(c.logon, c.options, c.given);
        EXPECT_EQ(r.minor, c.minor);
        EXPECT_EQ(r.major, c.minor == kOk ? 0u : 0x000D0000u);
        for (int i = 0; i < OUTPUTS; ++i) {
            if (c.expect[i] == nullptr) {
                EXPECT_EQ(r.out[i], nullptr) << "output " << i;
            } else if (r.out[i] == nullptr) {
                ADD_FAILURE() << "output " << i << " missing, expected " << c.expect[i];
            } else {
                EXPECT_STREQ(r.out[i], c.expect[i]) << "output " << i;
            }
        }
        // Only what is handed out stays allocated; everything freed was wiped first.
        EXPECT_EQ(test_memory::live_blocks(), held(r));
        for (const test_memory::FreedBlock& b : test_memory::freed()) {
            EXPECT_TRUE(b.wiped) << "a block of " << b.size << " bytes was freed unwiped";
        }
        release(r);
    }
}

// Failures after outputs were filled: each output that held a value was
// wiped over its length and terminator before it was freed.
TEST_F(LogonParser, FailureWipesEveryOutputThatHeldAValue) {
    struct Wipe {
        const char* logon;
        uint32_t options;
        gssp_status minor;
        size_t filled_sizes_sum;  // bytes of the outputs filled before the failure
    };
    const Wipe cases[] = {
        {"bob@@secret realm=R authzid=Z mech=M user=U profile=P1 userproperties=X authcid=again", 2, kTwoAuthcid,
         std::strlen("bob@@secret") + 1 + 4 + 7 + 2 + 2 + 2 + 2 + 3 + 2},
        {"bob@R:pw user=U user=V", 7, kTwoUser, std::strlen("bob@R:pw") + 1 + 6 + 3 + 2},
        {"password=topsecret profile=p profile=q", 0, kTwoProfile, 10 + 2},
        {"password=topsecret stray", 0, kUnknown, 10},
        {"password=topsecret realm=  ", 0, kSyntax, 10},
    };
    for (const Wipe& c : cases) {
        SCOPED_TRACE(c.logon);
        test_memory::reset();
        Parse r = run(c.logon, c.options);
        EXPECT_EQ(r.minor, c.minor);
        EXPECT_EQ(held(r), 0);
        EXPECT_EQ(test_memory::live_blocks(), 0);
        size_t outputs = 0;
        const size_t work = std::strlen(c.logon) + 1;
        bool work_seen = false;
        for (const test_memory::FreedBlock& b : test_memory::freed()) {
            EXPECT_TRUE(b.wiped) << "a block of " << b.size << " bytes was freed unwiped";
            if (b.size == work && !work_seen) {
                work_seen = true;  // the working buffer
            } else {
                outputs += b.size;
            }
        }
        EXPECT_TRUE(work_seen);
        EXPECT_EQ(outputs, c.filled_sizes_sum);
    }
}

// Every allocation in turn fails: the call fails cleanly (no output, nothing
// left allocated, everything freed wiped) with the allocation failure, or,
// for the identity and password taken from the framework's principal, with
// the unknown-property status.
TEST_F(LogonParser, EachAllocationFailureFailsCleanly) {
    struct Alloc {
        const char* logon;
        uint32_t options;
        int framework_first, framework_last;  // allocations of the framework-principal step
    };
    const Alloc cases[] = {
        {"bob@@secret realm=R authzid=Z mech=M user=U profile=P userproperties=X", 2, 0, -1},
        {"bob@REALM:pw user=U profile=P", 7, 3, 4},
        {"bob user=U", 7, 3, 3},
        {",,pre,authcid=a password=b", 0, 0, -1},
    };
    for (const Alloc& c : cases) {
        test_memory::reset();
        Parse ok = run(c.logon, c.options);
        ASSERT_EQ(ok.minor, kOk) << c.logon;
        const int needed = test_memory::allocations();
        release(ok);
        for (int n = 1; n <= needed; ++n) {
            SCOPED_TRACE(std::string(c.logon) + " failing allocation " + std::to_string(n));
            test_memory::reset();
            test_memory::fail_allocation(n);
            Parse r = run(c.logon, c.options);
            EXPECT_EQ(r.major, 0x000D0000u);
            const bool framework_step = n >= c.framework_first && n <= c.framework_last;
            EXPECT_EQ(r.minor, framework_step ? kUnknown : 0xE30003F8u);
            EXPECT_EQ(held(r), 0);
            EXPECT_EQ(test_memory::live_blocks(), 0);
            for (const test_memory::FreedBlock& b : test_memory::freed()) {
                EXPECT_TRUE(b.wiped) << "a block of " << b.size << " bytes was freed unwiped";
            }
            release(r);
        }
    }
}

// The password copy of the "@@" split failing fails the whole parse: the
// identity is not handed out alone.
TEST_F(LogonParser, SplitPasswordCopyFailureFailsTheParse) {
    // Allocations: working buffer, principal copy, password copy.
    test_memory::fail_allocation(3);
    Parse r = run("bob@@secret", 2);
    EXPECT_EQ(r.major, 0x000D0000u);
    EXPECT_EQ(r.minor, 0xE30003F8u);
    EXPECT_EQ(held(r), 0);
    EXPECT_EQ(test_memory::live_blocks(), 0);
}

TEST_F(LogonParser, FrameworkHandleIsReleasedInEveryCase) {
    for (const char* logon : {"bob@R:pw", "a;b", "", "@R", "bob\\"}) {
        fake_reset();
        Parse r = run(*logon ? logon : "'' user=u", 7);
        EXPECT_EQ(fake_free_calls(), 1) << logon;
        EXPECT_EQ(fake_live_handles(), 0) << logon;
        release(r);
    }
}

TEST_F(LogonParser, NullLogonAndNullMinorAreSafe) {
    Parse r = run(nullptr, 7);
    EXPECT_EQ(r.major, 0x000D0000u);
    EXPECT_EQ(r.minor, 0xE10000CDu);
    EXPECT_EQ(held(r), 0);
    char* authcid = kUntouched;
    EXPECT_EQ(qxat_parse_logon(nullptr, "authcid=a", nullptr, &authcid, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, 0),
              0u);
    EXPECT_STREQ(authcid, "a");
    std::free(authcid);
}

TEST_F(LogonParser, LongValues) {
    const std::string value(100000, 'v');
    const std::string logon = "user=" + value + " password='" + value + "'";
    Parse r = run(logon.c_str(), 7);
    EXPECT_EQ(r.minor, kOk);
    ASSERT_NE(r.out[USER], nullptr);
    EXPECT_EQ(std::string(r.out[USER]), value);
    ASSERT_NE(r.out[PASSWORD], nullptr);
    EXPECT_EQ(std::string(r.out[PASSWORD]), value);
    release(r);
}

// ---- qxat_validate_kerberos_logdata -------------------------------------------

TEST(ValidateKerberosLogdata, RejectsAuthcidAndPasswordCaseSensitively) {
    const struct {
        const char* logon;
        gssp_status major;
        gssp_status minor;
    } cases[] = {
        {"", 0, kOk},
        {"bob@EXAMPLE.COM realm=EXAMPLE.COM", 0, kOk},
        {"PASSWORD=x AuthCid=y", 0, kOk},
        {"password=x", 0x000D0000, kUnknown},
        {"user=u authcid=y", 0x000D0000, kUnknown},
        {"xpassword=inside", 0x000D0000, kUnknown},
        {"password", 0, kOk},
        {nullptr, 0x000D0000, 0xE10000CD},
    };
    for (const auto& c : cases) {
        gssp_status minor = 0;
        EXPECT_EQ(qxat_validate_kerberos_logdata(&minor, c.logon), c.major) << (c.logon ? c.logon : "(null)");
        EXPECT_EQ(minor, c.minor) << (c.logon ? c.logon : "(null)");
    }
    EXPECT_EQ(qxat_validate_kerberos_logdata(nullptr, "password=x"), 0x000D0000u);
}

}  // namespace

// The mechanism's and the framework's message tables, and
// QXNEGO_display_status.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "fake_framework.h"
#include "framework_status.h"
#include "gssp2qxnego.h"
#include "mechanism_status.h"
#include "test_memory.h"

namespace {

struct MessageRow {
    uint32_t code;
    const char* message;
};

// Every code of the mechanism, as its documentation quotes it.
const MessageRow kMechanismRows[] = {
    {0x230003E8, "Successful"},
    {0x230003E9, "Continue needed. Application needs to call this API again with a new input token."},
    {0xE30003F2, "The requested API function has not been implemented."},
    {0xE30003F3, "QXNEGO internal failure."},
    {0xE30003F4, "The QXNEGO security mechanism encountered a bad mechanism OID."},
    {0xE30003F5, "The QXNEGO security mechanism does not support the NameType requested."},
    {0xE30003F6, "The input is NULL or invalid"},
    {0xE30003F7, "Memory could not be accessed."},
    {0xE30003F8, "QXNEGO malloc failed."},
    {0xE30003F9, "QXNEGO calloc failed."},
    {0xE30003FA, "qxgss buffer descriptor (qxgss_buffer_desc) passed to the API is NULL."},
    {0xE30003FC, "QXNEGO credentials not found."},
    {0xE30003FD, "Bad Cred Usage value."},
    {0xE30003FE, "A name is required but was passed as NULL."},
    {0xE30003FF, "Invalid QXNEGO context passed."},
    {0xE3000400, "Invalid QXNEGO Negotiation Context passed."},
    {0xE3000401, "The security context was used before it was ready."},
    {0xE3000402, "Input token passed to wrap/unwrap or get_mic/verify_mic is NULL."},
    {0xA3000403, "The status code passed doesn't belong to QXNEGO mechanism."},
    {0xE3000406, "The QXNEGO security mechanism could not find any mechanisms available for negotiation."},
    {0xE3000407, "Unable to initialize the list of available negotiated mechanisms."},
    {0xE3000408, "The list of mechanisms available for negotiation is empty."},
    {0xE3000409, "Unable to make a copy of the list of available negotiated mechanisms."},
    {0xE300040A, "Unable to obtain the Negotiation Log."},
    {0xE300040B, "The NegMech token type is not recognized."},
    {0xE300040C, "An INIT Token can only be generated as the first Client token.  "},
    {0xE300040D, "QXNEGO fails because the state to be changed to is invalid."},
    {0xE300040E, "Invalid reason for the state change."},
    {0xE300040F, "The NegState value is invalid."},
    {0xE3000410, "The QXNEGO security mechanism does not support the NegState indicated."},
    {0xE3000411, "Error occurred when neg state is shown completed but no mechanism was selected."},
    {0xE3000412, "Error when trying to decode the mechanism OID of the selected mechanism."},
    {0xE3000413, "Selected mechanism from context token not found."},
    {0xE3000414, "Error while trying to access an unavailable mechanism."},
    {0xE300041A, "There were no mechanisms found for encoding the context token."},
    {0xE300041B, "Unable to decode NegMech ASN.1 sequence."},
    {0xE300041C, "The Authentication ID was not supplied."},
    {0xE300041D, "The QXNEGO security mechanism was not able to decode an initial token."},
    {0xE300041E, "The QXNEGO security mechanism was not able to decode a response token."},
    {0xE3000424, "Syntax error in the user's principal name (mechdata)."},
    {0xE3000425, "Message header-trailer is not proper."},
    {0xE3000426, "Error during MIC calculation"},
    {0xE3000427, "The user's principal name contains multiple authcid properties."},
    {0xE3000428, "The user's principal name contains multiple user properties."},
    {0xE3000429, "The user's principal name contains multiple profile properties."},
    {0xE300042A, "The user's principal name contains an unknown property."},
};

TEST(MechanismMessages, EveryCodeHasItsExactMessage) {
    for (const MessageRow& row : kMechanismRows) {
        EXPECT_STREQ(QXNEGO_INT_MechanismMessage(row.code), row.message) << std::hex << row.code;
    }
    // Trailing blanks and missing full stops are part of the text.
    const std::string init = QXNEGO_INT_MechanismMessage(0xE300040C);
    EXPECT_EQ(init.substr(init.size() - 8), "token.  ");
    EXPECT_EQ(std::string(QXNEGO_INT_MechanismMessage(0xE30003F6)).back(), 'd');
}

// Only the listed codes have a message: every other number, and every listed
// number under another severity or originator, gives "?".
TEST(MechanismMessages, AnyOtherValueGivesQuestionMark) {
    std::set<uint32_t> listed;
    for (const MessageRow& row : kMechanismRows) {
        listed.insert(row.code);
    }
    int known = 0;
    for (uint32_t base : {0x23000000u, 0xA3000000u, 0xE3000000u, 0x21000000u, 0x63000000u}) {
        for (uint32_t number = 0; number <= 0xFFFF; ++number) {
            const uint32_t code = base + number;
            const char* message = QXNEGO_INT_MechanismMessage(code);
            if (listed.count(code) != 0) {
                ++known;
                EXPECT_STRNE(message, "?") << std::hex << code;
            } else {
                ASSERT_STREQ(message, "?") << std::hex << code;
            }
        }
    }
    EXPECT_EQ(known, (int)listed.size());
    for (uint32_t code : {0xE30003FBu, 0xE3000404u, 0xE3000405u, 0xE3000415u, 0xE3000419u, 0xE300041Fu, 0xE3000423u,
                          0xE3000403u, 0x230003F4u, 0xFFFFFFFFu, 0u}) {
        EXPECT_STREQ(QXNEGO_INT_MechanismMessage(code), "?") << std::hex << code;
    }
}

// The framework's rows by severity and number.
std::set<uint32_t> framework_codes() {
    std::set<uint32_t> codes;
    auto add = [&](uint32_t base, uint32_t from, uint32_t to) {
        for (uint32_t n = from; n <= to; ++n) {
            codes.insert(base + n);
        }
    };
    add(0x21000000, 100, 100);
    add(0x21000000, 206, 211);
    add(0x21000000, 298, 298);
    for (uint32_t n : {216u, 253u, 255u, 257u, 299u}) {
        add(0xA1000000, n, n);
    }
    add(0xE1000000, 101, 127);
    add(0xE1000000, 129, 153);
    add(0xE1000000, 156, 205);
    add(0xE1000000, 212, 215);
    add(0xE1000000, 217, 252);
    for (uint32_t n : {254u, 256u, 258u}) {
        add(0xE1000000, n, n);
    }
    return codes;
}

TEST(FrameworkMessages, ExactlyTheFrameworkRowsHaveMessages) {
    const std::set<uint32_t> codes = framework_codes();
    ASSERT_EQ(codes.size(), 158u);
    std::set<std::string> texts;
    for (uint32_t base : {0x21000000u, 0xA1000000u, 0xE1000000u, 0x23000000u, 0xE3000000u}) {
        for (uint32_t number = 0; number <= 0xFFFF; ++number) {
            const uint32_t code = base + number;
            const char* message = QXNEGO_INT_FrameworkMessage(code);
            if (codes.count(code) != 0) {
                EXPECT_STRNE(message, "?") << std::hex << code;
                EXPECT_GT(std::strlen(message), 1u) << std::hex << code;
                texts.insert(message);
            } else {
                ASSERT_STREQ(message, "?") << std::hex << code;
            }
        }
    }
    EXPECT_EQ(texts.size(), codes.size()) << "every framework code has a message of its own";
}

const MessageRow kQuotedFrameworkRows[] = {
    {0x21000064, "Successful"},
    {0xE1000067, "This function is not available for the requested security mechanism"},
    {0xE10000CD, "An argument was not valid."},
    {0xE10000FB, "The ASN.1 tag not found."},
    {0xA100012B, "This mechanism has failed to initialize properly and will be disabled."},
    {0xA10000FD, "The user policy does not allow any viable mechanism."},
    {0x2100012A, "Context is setup successfully and continuing for the client's logdata."},
    {0xA1000101, "execute run_qxgssconfig; customer-modified security settings are detected"},
    {0xE100009D, "QXGSS Config File: Legal Values Section: cannot read"},
    {0xE100009F, "QXGSS Config File: Legal Values->Algorithm Name->Attributes: cannot read"},
    {0xE10000A6, "QXGSS Config File: Legal Values->Mech Properties: cannot read"},
    {0xE10000AB, "QXGSS Config File: Mechanism Elements->LibName: cannot read"},
    {0xE10000B0, "QXGSS Config File: Mechanism Elements->Property->Attributes: cannot read"},
    {0xE10000B3, "QXGSS Config File: Mechanism Elements->Mech QOP->Data: cannot read"},
    {0xE10000B6, "QXGSS Config File: QOP Element->Values: cannot read"},
    {0xE10000B7, "QXGSS Config File: QOP not found."},
    {0xE10000B8, "QXGSS Config File: QOP Element->Attributes: cannot read"},
    {0xE10000B9, "QXGSS Config File: QOP Element->Confidentiality not found"},
    {0xE10000BD, "QXGSS Config File: QOP Element->Integrety not found"},
    {0xE10000E5, "QXGSS Config File: Legal Values->KeyLengthP: cannot read"},
    {0xE10000E6, "QXGSS Config File: Legal Values->KeyLengthP->Attributes: cannot read"},
    {0xE10000E7, "QXGSS Config File: QOP Element->KeyExchange not found"},
    {0xE10000E8, "QXGSS Config File: QOP Element->KeyLengthP not found"},
};

TEST(FrameworkMessages, QuotedRowsAreExact) {
    for (const MessageRow& row : kQuotedFrameworkRows) {
        EXPECT_STREQ(QXNEGO_INT_FrameworkMessage(row.code), row.message) << std::hex << row.code;
    }
    // Every configuration-file row names its path and ends in one of the two endings.
    for (uint32_t n = 157; n <= 232; n = n == 189 ? 229 : n + 1) {
        const std::string text = QXNEGO_INT_FrameworkMessage(0xE1000000u + n);
        EXPECT_EQ(text.rfind("QXGSS Config File: ", 0), 0u) << n;
        const bool read = text.size() > 13 && text.compare(text.size() - 13, 13, ": cannot read") == 0;
        const bool missing = text.size() > 10 && text.compare(text.size() - 10, 10, " not found") == 0;
        EXPECT_TRUE(read || missing || n == 183) << n << ": " << text;
    }
}

// ---- QXNEGO_display_status ---------------------------------------------------

class DisplayStatus : public ::testing::Test {
protected:
    void SetUp() override {
        fake_reset();
        test_memory::reset();
    }
    void TearDown() override {
        std::free(text.value);
        fake_reset();
        test_memory::reset();
    }

    gssp_status call(uint32_t value, int type, gssp_OID oid, bool with_buffer = true) {
        return QXNEGO_display_status(&minor, value, type, oid, &context, with_buffer ? &text : nullptr);
    }

    gssp_status minor = 0x12345678;
    uint32_t context = 77;
    gssp_buffer_desc text = {0, nullptr};
};

TEST_F(DisplayStatus, GivesTheMessageAndClearsTheContext) {
    EXPECT_EQ(call(0xE3000424, GSSP_C_MECH_CODE, &fake_qxnego_oid), 0u);
    EXPECT_EQ(minor, 0x230003E8u);
    EXPECT_EQ(context, 0u);
    const char* expected = "Syntax error in the user's principal name (mechdata).";
    ASSERT_NE(text.value, nullptr);
    EXPECT_EQ(text.length, std::strlen(expected));
    EXPECT_STREQ(static_cast<char*>(text.value), expected);  // NUL-terminated

    // A message with trailing blanks keeps them, and the length counts them.
    std::free(text.value);
    text = {0, nullptr};
    EXPECT_EQ(call(0xE300040C, GSSP_C_MECH_CODE, &fake_qxnego_oid), 0u);
    EXPECT_EQ(text.length, 64u);
    EXPECT_EQ(std::string(static_cast<char*>(text.value), text.length),
              "An INIT Token can only be generated as the first Client token.  ");
}

TEST_F(DisplayStatus, NullContextIsAllowed) {
    EXPECT_EQ(QXNEGO_display_status(nullptr, 0x230003E9, GSSP_C_MECH_CODE, &fake_qxnego_oid, nullptr, &text), 0u);
    EXPECT_NE(text.value, nullptr);
}

struct RefusalCase {
    const char* what;
    uint32_t value;
    int type;
    gssp_OID oid;
    bool with_buffer;
    gssp_status major;
    gssp_status minor;
};

// A copy of the QXNEGO OID in other memory, one with a different length,
// and one whose bytes are missing.
unsigned char kQxnegoCopyBytes[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x81, 0xFD, 0x59, 0x01, 0x01};
gssp_OID_desc kQxnegoCopy = {sizeof kQxnegoCopyBytes, kQxnegoCopyBytes};
gssp_OID_desc kQxnegoShort = {sizeof kQxnegoCopyBytes - 1, kQxnegoCopyBytes};
gssp_OID_desc kNoBytes = {sizeof kQxnegoCopyBytes, nullptr};

const RefusalCase kRefusals[] = {
    {"null OID", 0xE3000424, 2, nullptr, true, 0x010D0000, 0x230003E8},
    {"other mechanism", 0xE3000424, 2, &fake_qxkrb_oid, true, 0x00010000, 0xE30003F4},
    {"prefix of own OID", 0xE3000424, 2, &kQxnegoShort, true, 0x00010000, 0xE30003F4},
    {"OID without bytes", 0xE3000424, 2, &kNoBytes, true, 0x00010000, 0xE30003F4},
    {"status type 1", 0xE3000424, 1, &fake_qxnego_oid, true, 0x00050000, 0xE30003F4},
    {"status type 0", 0xE3000424, 0, &fake_qxnego_oid, true, 0x00050000, 0xE30003F4},
    {"framework code", 0x21000064, 2, &fake_qxnego_oid, true, 0x00050000, 0xA3000403},
    {"bit 29 clear", 0xC3000424, 2, &fake_qxnego_oid, true, 0x00050000, 0xA3000403},
    {"no string buffer", 0xE3000424, 2, &fake_qxnego_oid, false, 0x000D0000, 0xE30003FA},
    {"foreign code, no buffer", 0x21000064, 2, &fake_qxnego_oid, false, 0x00050000, 0xA3000403},
    {"number without message", 0xE3000403, 2, &kQxnegoCopy, true, 0x00050000, 0xA3000403},
    {"gap number", 0xE3000415, 2, &fake_qxnego_oid, true, 0x00050000, 0xA3000403},
    {"own code, no message, no buffer", 0xE3000415, 2, &fake_qxnego_oid, false, 0x000D0000, 0xE30003FA},
};

TEST_F(DisplayStatus, RefusalsLeaveTheBufferAndContextAlone) {
    for (const RefusalCase& c : kRefusals) {
        SCOPED_TRACE(c.what);
        minor = 0x12345678;
        context = 77;
        text = {5, nullptr};
        EXPECT_EQ(call(c.value, c.type, c.oid, c.with_buffer), c.major);
        EXPECT_EQ(minor, c.minor);
        EXPECT_EQ(context, 77u);
        EXPECT_EQ(text.length, 5u);
        EXPECT_EQ(text.value, nullptr);
    }
    text = {0, nullptr};
    EXPECT_EQ(test_memory::allocations(), 0);
}

TEST_F(DisplayStatus, FrameworkFailurePassesItsMinorOn) {
    fake_fail_call("gssp_mechstr_to_oid", GSSP_S_FAILURE, 0xE1000069);
    EXPECT_EQ(call(0xE3000424, GSSP_C_MECH_CODE, &fake_qxnego_oid), 0x000D0000u);
    EXPECT_EQ(minor, 0xE1000069u);
    EXPECT_EQ(text.value, nullptr);
}

TEST_F(DisplayStatus, FrameworkWithoutAnOidIsABadMechanism) {
    fake_null_result("gssp_mechstr_to_oid");
    EXPECT_EQ(call(0xE3000424, GSSP_C_MECH_CODE, &fake_qxnego_oid), 0x00010000u);
    EXPECT_EQ(minor, 0xE30003F4u);
}

TEST_F(DisplayStatus, AllocationFailure) {
    test_memory::fail_allocation(1);
    EXPECT_EQ(call(0xE3000424, GSSP_C_MECH_CODE, &fake_qxnego_oid), 0x000D0000u);
    EXPECT_EQ(minor, 0xE30003F8u);
    EXPECT_EQ(text.value, nullptr);
    EXPECT_EQ(context, 77u);
}

}  // namespace

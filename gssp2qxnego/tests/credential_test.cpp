// The negotiating mechanism's credential: acquiring it (name types, usage,
// UTF-8 conversion, what it hands back), inquiring and releasing it.
#include <cstring>
#include <string>

#include "configured_framework.h"
#include "mechanism_status.h"
#include "neg_mech.h"

namespace {

const uint32_t kOk = 0x230003E8u;

class CredentialTest : public ConfiguredFramework {
protected:
    void SetUp() override { Start(QX_NEGO_PAIR_FIXTURE); }

    // A framework name of the given type holding `bytes`.
    gssp_name_t MakeName(gssp_OID type, const std::string& bytes) {
        gssp_name_desc source = {type, {bytes.size(), (void*)bytes.data()}};
        gssp_name_t name = nullptr;
        gssp_status minor = 0;
        EXPECT_EQ(0u, gssp_duplicate_name(&minor, &source, &name));
        return name;
    }

    static std::string Text(const gssp_name_desc* name) {
        return std::string((const char*)name->text.value, name->text.length);
    }
};

TEST_F(CredentialTest, AcquireWithoutANameHoldsWhatWasAsked) {
    gssp_status minor = 0;
    gssp_cred_id_t cred = nullptr;
    gssp_OID_set actual = nullptr;
    uint32_t time_rec = 1;
    gssp_OID_set_desc wanted = {1, Oid("M2")};
    ASSERT_EQ(0u, QXNEGO_acquire_cred(&minor, nullptr, 4321, &wanted, GSSP_C_INITIATE, &cred, &actual, &time_rec));
    EXPECT_EQ(kOk, minor);
    EXPECT_EQ(4321u, time_rec);
    EXPECT_EQ((std::vector<std::string>{"QXNEGO"}), SetNames(actual));
    const NegCredential* c = (const NegCredential*)cred;
    EXPECT_EQ(nullptr, c->name);
    EXPECT_EQ(4321u, c->time_req);
    EXPECT_EQ(1u, c->cred_usage);
    EXPECT_EQ((std::vector<std::string>{"M2"}), SetNames(c->mechanisms));

    gssp_name_t name = (gssp_name_t)&wanted;  // must be cleared
    uint32_t lifetime = 0;
    int usage = -1;
    gssp_OID_set mechs = nullptr;
    ASSERT_EQ(0u, QXNEGO_inquire_cred(&minor, cred, &name, &lifetime, &usage, &mechs));
    EXPECT_EQ(nullptr, name);
    EXPECT_EQ(4321u, lifetime);
    EXPECT_EQ(1, usage);
    EXPECT_EQ((std::vector<std::string>{"M2"}), SetNames(mechs));
    gssp_release_oid_set(&minor, &mechs);
    gssp_release_oid_set(&minor, &actual);
    ASSERT_EQ(0u, QXNEGO_release_cred(&minor, &cred));
    EXPECT_EQ(kOk, minor);
    EXPECT_EQ(nullptr, cred);
}

// Names of the UTF-16 and UTF-32 types are stored with their text in UTF-8;
// UTF-8 and local-text names are kept as they are.
TEST_F(CredentialTest, NamesAreStoredAsUtf8) {
    const std::u16string utf16 = u"authcid=j\u00f6rg";
    const std::u32string utf32 = U"authcid=\U0001F511";
    const struct {
        gssp_OID type;
        std::string bytes;
        std::string stored;
    } cases[] = {
        {GSS_C_NT_QXAT_MECHDATA_UTF16, std::string((const char*)utf16.data(), utf16.size() * 2),
         "authcid=j\xc3\xb6rg"},
        {GSS_C_NT_QXAT_MECHDATA_UTF32, std::string((const char*)utf32.data(), utf32.size() * 4),
         "authcid=\xf0\x9f\x94\x91"},
        {GSS_C_NT_QXAT_MECHDATA_UTF8, "authcid=j\xc3\xb6rg", "authcid=j\xc3\xb6rg"},
        {GSS_C_NT_QXAT_MECHDATA, "authcid=alice", "authcid=alice"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        gssp_name_t desired = MakeName(c.type, c.bytes);
        gssp_status minor = 0;
        gssp_cred_id_t cred = nullptr;
        ASSERT_EQ(0u, QXNEGO_acquire_cred(&minor, desired, 0, nullptr, GSSP_C_BOTH, &cred, nullptr, nullptr));
        const NegCredential* stored = (const NegCredential*)cred;
        ASSERT_NE(nullptr, stored->name);
        EXPECT_NE(desired, stored->name);
        EXPECT_EQ(c.stored, Text(stored->name));
        EXPECT_EQ(c.bytes, Text(desired));  // the caller's name is not touched
        gssp_name_t inquired = nullptr;
        ASSERT_EQ(0u, QXNEGO_inquire_cred(&minor, cred, &inquired, nullptr, nullptr, nullptr));
        EXPECT_EQ(c.stored, Text(inquired));
        gssp_release_name(&minor, &inquired);
        EXPECT_EQ(0u, QXNEGO_release_cred(&minor, &cred));
        gssp_release_name(&minor, &desired);
    }
}

TEST_F(CredentialTest, AcquireRefusals) {
    gssp_name_t hostbased = MakeName(GSS_C_NT_HOSTBASED_SERVICE, "host@server");
    gssp_name_t odd_utf16 = MakeName(GSS_C_NT_QXAT_MECHDATA_UTF16, "abc");
    gssp_OID_desc unknown_type = {3, (void*)"\x2a\x03\x04"};
    gssp_name_desc unknown = {&unknown_type, {0, nullptr}};
    const struct {
        const char* what;
        gssp_name_t name;
        int usage;
        bool handle;
        uint32_t minor;
        uint32_t major;
    } cases[] = {
        {"no handle", nullptr, 0, false, QXNEGO_E_NO_CRED, 0x02070000u},
        {"host-based name", hostbased, 0, true, QXNEGO_E_BAD_NAME_TYPE, 0x000D0000u},
        {"unknown name type", &unknown, 0, true, QXNEGO_E_BAD_NAME_TYPE, 0x000D0000u},
        {"usage 3", nullptr, 3, true, QXNEGO_E_BAD_CRED_USAGE, 0x00070000u},
        {"usage -1", nullptr, -1, true, QXNEGO_E_BAD_CRED_USAGE, 0x00070000u},
        {"UTF-16 text of odd length", odd_utf16, 0, true, 0, 0x000D0000u},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test_memory::reset();
        gssp_status minor = 0;
        gssp_cred_id_t cred = (gssp_cred_id_t)&minor;
        gssp_OID_set actual = (gssp_OID_set)&minor;
        uint32_t time_rec = 7;
        EXPECT_EQ(c.major, QXNEGO_acquire_cred(&minor, c.name, 10, nullptr, c.usage, c.handle ? &cred : nullptr,
                                               &actual, &time_rec));
        if (c.minor != 0) {
            EXPECT_EQ(c.minor, minor);
        } else {
            EXPECT_NE(kOk, minor);
        }
        if (c.handle) {
            EXPECT_EQ(nullptr, cred);
        }
        EXPECT_EQ(nullptr, actual);
        EXPECT_EQ(0u, time_rec);
        EXPECT_EQ(0, test_memory::live_blocks());
    }
    gssp_status minor = 0;
    gssp_release_name(&minor, &hostbased);
    gssp_release_name(&minor, &odd_utf16);
}

TEST_F(CredentialTest, AcquireWithFailedAllocation) {
    gssp_name_t desired = MakeName(GSS_C_NT_QXAT_MECHDATA_UTF16, std::string("a\0", 2));
    test_memory::fail_allocation(1);
    gssp_status minor = 0;
    gssp_cred_id_t cred = nullptr;
    EXPECT_EQ(0x000D0000u, QXNEGO_acquire_cred(&minor, desired, 0, nullptr, 0, &cred, nullptr, nullptr));
    EXPECT_EQ(QXNEGO_E_CALLOC, minor);
    EXPECT_EQ(nullptr, cred);
    gssp_release_name(&minor, &desired);
}

TEST_F(CredentialTest, ReleaseAndInquireRefusals) {
    gssp_status minor = 0;
    EXPECT_EQ(0x02070000u, QXNEGO_release_cred(&minor, nullptr));
    EXPECT_EQ(QXNEGO_E_NO_CRED, minor);
    gssp_cred_id_t none = nullptr;
    EXPECT_EQ(0x01070000u, QXNEGO_release_cred(&minor, &none));
    EXPECT_EQ(QXNEGO_E_NO_CRED, minor);

    gssp_name_t name = (gssp_name_t)&minor;
    uint32_t lifetime = 9;
    int usage = 9;
    gssp_OID_set mechs = (gssp_OID_set)&minor;
    EXPECT_EQ(0x00070000u, QXNEGO_inquire_cred(&minor, nullptr, &name, &lifetime, &usage, &mechs));
    EXPECT_EQ(QXNEGO_E_NO_CRED, minor);
    EXPECT_EQ(nullptr, name);
    EXPECT_EQ(0u, lifetime);
    EXPECT_EQ(0, usage);
    EXPECT_EQ(nullptr, mechs);
}

}  // namespace

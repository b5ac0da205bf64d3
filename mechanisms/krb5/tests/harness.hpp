// The framework started on the Kerberos fixture, owners of what the
// framework hands out, and one client/server exchange through the
// framework's application interface.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "qxgss/application.h"
#include "qxgss/framework.hpp"
#include "qxgss_services.h"
#include "realm.hpp"

#ifndef QX_KRB5_FIXTURE
#error QX_KRB5_FIXTURE must name the compiled Kerberos fixture
#endif

namespace qxkrb5_tests {

constexpr uint32_t kMutualIntegConf = 0x02 | 0x20 | 0x10;

inline gssp_OID OidOf(const char* name) {
    gssp_OID oid = nullptr;
    gssp_mechstr_to_oid(nullptr, name, &oid);
    return oid;
}

inline const gssp_mech_info& Mech(const char* name) {
    uint32_t index = GSSP_NO_MECH_INDEX;
    gssp_oid_to_mechindex(nullptr, OidOf(name), &index);
    return pMechInfo[index];
}

inline bool SameOid(const gssp_OID_desc* a, const gssp_OID_desc* b) {
    int different = 1;
    return a && b && gssp_compare_oids(nullptr, a, b, &different) == 0 && different == 0;
}

inline std::string Text(const gssp_buffer_desc& b) {
    return b.length ? std::string(static_cast<const char*>(b.value), static_cast<size_t>(b.length)) : std::string();
}

// The Kerberos mechanism's text for a minor status.
inline std::string MinorText(gssp_status minor) {
    gssp_buffer_desc text{};
    uint32_t context = 0;
    Mech("QXKRB5").display_status(nullptr, minor, GSSP_C_MECH_CODE, nullptr, &context, &text);
    std::string out = Text(text);
    gssp_release_buffer(nullptr, &text);
    return out;
}

struct Buffer {
    Buffer() = default;
    explicit Buffer(const std::string& bytes) { Set(bytes); }
    ~Buffer() { gssp_release_buffer(nullptr, &desc); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    void Set(const std::string& bytes) {
        gssp_release_buffer(nullptr, &desc);
        const gssp_buffer_desc view = {bytes.size(), const_cast<char*>(bytes.data())};
        if (!bytes.empty()) gssp_duplicate_buffer(nullptr, &view, &desc);
    }
    std::string text() const { return Text(desc); }
    gssp_buffer_desc desc{};
};

struct Name {
    ~Name() { gssp_release_name(nullptr, &name); }
    gssp_name_t name = nullptr;
};

struct Credential {
    ~Credential() {
        if (cred) qxgss_release_cred(nullptr, &cred);
    }
    qxgss_cred_t cred = nullptr;
};

class Framework : public ::testing::Test {
protected:
    void SetUp() override {
        const qxgss::StartupReport report = qxgss::StartFramework(QX_KRB5_FIXTURE, QX_KRB5_LIBRARY_PATH);
        ASSERT_TRUE(report.ok) << report.error;
        for (const char* name : {"QXKRB5", "QXNEGO", "TESTA"}) ASSERT_EQ(Mech(name).enabled, 1u) << name;
        krb5_ = OidOf("QXKRB5");
    }
    void TearDown() override { qxgss::ResetFramework(); }

    gssp_OID krb5_ = nullptr;
};

// One client context and one server context of a mechanism, driven through
// the application interface; everything goes back when the exchange goes.
class Exchange {
public:
    explicit Exchange(gssp_OID mech) : mech_(mech) {}
    ~Exchange() {
        if (client) qxgss_delete_sec_context(nullptr, &client);
        if (server) qxgss_delete_sec_context(nullptr, &server);
    }
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

    // The client's next leg on the server's last token.
    gssp_status Init(gssp_status* minor, qxgss_cred_t cred = nullptr, gssp_name_t target = nullptr,
                     uint32_t flags = 0) {
        Buffer input;
        std::swap(input.desc, serverToken.desc);
        gssp_release_buffer(nullptr, &clientToken.desc);
        return qxgss_init_sec_context(minor, cred, &client, mech_, target, flags, &input.desc, &clientToken.desc,
                                      &clientMech, &clientFlags);
    }
    // The server's next leg on the client's last token.
    gssp_status Accept(gssp_status* minor, qxgss_cred_t cred = nullptr) {
        Buffer input;
        std::swap(input.desc, clientToken.desc);
        gssp_release_buffer(nullptr, &serverToken.desc);
        gssp_release_name(nullptr, &source.name);
        return qxgss_accept_sec_context(minor, &server, mech_, cred, &input.desc, &source.name, &serverToken.desc,
                                        &serverMech, &serverFlags);
    }
    // Both sides until each has completed.
    ::testing::AssertionResult Run(qxgss_cred_t clientCred = nullptr, qxgss_cred_t serverCred = nullptr,
                                   gssp_name_t target = nullptr) {
        bool clientDone = false, serverDone = false;
        for (int leg = 0; leg < 10 && !(clientDone && serverDone); ++leg) {
            gssp_status minor = 0, major = 0;
            if (!clientDone && (leg == 0 || serverToken.desc.length)) {
                major = Init(&minor, clientCred, target);
                clientDone = major == GSSP_S_COMPLETE;
            } else if (!serverDone && clientToken.desc.length) {
                major = Accept(&minor, serverCred);
                serverDone = major == GSSP_S_COMPLETE;
            } else {
                return ::testing::AssertionFailure() << "a side waits for a token that never comes";
            }
            if (GSSP_ERROR(major))
                return ::testing::AssertionFailure() << "leg " << leg << ": major 0x" << std::hex << major
                                                     << " minor 0x" << minor << " " << MinorText(minor);
        }
        if (!(clientDone && serverDone)) return ::testing::AssertionFailure() << "not complete";
        return ::testing::AssertionSuccess();
    }

    qxgss_ctx_t client = nullptr;
    qxgss_ctx_t server = nullptr;
    Buffer clientToken, serverToken;
    Name source;
    gssp_OID clientMech = nullptr, serverMech = nullptr;
    uint32_t clientFlags = 0, serverFlags = 0;

private:
    gssp_OID mech_;
};

}  // namespace qxkrb5_tests

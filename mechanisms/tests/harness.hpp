// The framework stand-in started on the test-mechanism fixture, and an
// exchange of one client and one server context driven through the
// framework's mechanism table, as the negotiating mechanism drives them.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "qxgss/framework.hpp"
#include "qxgss_services.h"
#include "qxtest/qxtest.h"

#ifndef QX_MECH_FIXTURE
#error QX_MECH_FIXTURE must name the compiled test-mechanism fixture
#endif

namespace qxtest_tests {

inline uint32_t IndexOf(const char* name) {
    gssp_OID oid = nullptr;
    uint32_t index = GSSP_NO_MECH_INDEX;
    if (gssp_mechstr_to_oid(nullptr, name, &oid) == 0) gssp_oid_to_mechindex(nullptr, oid, &index);
    return index;
}

inline gssp_OID OidOf(const char* name) {
    gssp_OID oid = nullptr;
    gssp_mechstr_to_oid(nullptr, name, &oid);
    return oid;
}

inline bool SameOid(const gssp_OID_desc* a, const gssp_OID_desc* b) {
    int different = 1;
    return a && b && gssp_compare_oids(nullptr, a, b, &different) == 0 && different == 0;
}

inline std::string Text(const gssp_buffer_desc& b) {
    return b.length ? std::string(static_cast<const char*>(b.value), static_cast<size_t>(b.length)) : std::string();
}

inline gssp_buffer_desc View(const std::string& s) { return {s.size(), const_cast<char*>(s.data())}; }

class Framework : public ::testing::Test {
protected:
    void SetUp() override {
        qxtest_reset();
        report_ = qxgss::StartFramework(QX_MECH_FIXTURE, QX_MECH_DIR);
        ASSERT_TRUE(report_.ok) << report_.error;
        for (const char* name : {"TESTA", "TESTB", "TESTC", "TESTD", "TESTMIN"}) {
            const uint32_t i = IndexOf(name);
            ASSERT_LT(i, MechCount) << name;
            ASSERT_EQ(pMechInfo[i].enabled, 1u) << name;
        }
    }
    void TearDown() override {
        qxtest_reset();
        qxgss::ResetFramework();
    }
    static const gssp_mech_info& Mech(const char* name) { return pMechInfo[IndexOf(name)]; }

    qxgss::StartupReport report_;
};

// One client context and one server context; every token and context is
// given back when the exchange goes.
class Exchange {
public:
    Exchange(const gssp_mech_info& client, const gssp_mech_info& server, gssp_OID clientMech)
        : client_(client), server_(server), clientMech_(clientMech) {}
    ~Exchange() {
        gssp_release_buffer(nullptr, &clientToken);
        gssp_release_buffer(nullptr, &serverToken);
        if (clientContext) client_.delete_sec_context(nullptr, &clientContext, nullptr);
        if (serverContext) server_.delete_sec_context(nullptr, &serverContext, nullptr);
        gssp_release_name(nullptr, &sourceName);
    }
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

    // The client's next call, fed with the server's last token.
    gssp_status Init(gssp_status* minor, gssp_cred_id_t cred = nullptr) {
        gssp_buffer_desc input = serverToken;
        serverToken = {};
        gssp_release_buffer(nullptr, &clientToken);
        const gssp_status major = client_.init_sec_context(minor, cred, &clientContext, nullptr, clientMech_, 0x22, 0,
                                                           nullptr, &input, &actualMech, &clientToken, &flags, nullptr);
        gssp_release_buffer(nullptr, &input);
        return major;
    }
    // The server's next call, fed with the client's last token.
    gssp_status Accept(gssp_status* minor, gssp_cred_id_t cred = nullptr) {
        gssp_buffer_desc input = clientToken;
        clientToken = {};
        gssp_release_buffer(nullptr, &serverToken);
        gssp_release_name(nullptr, &sourceName);
        const gssp_status major = server_.accept_sec_context(minor, &serverContext, cred, &input, nullptr, &sourceName,
                                                             &acceptMech, &serverToken, nullptr, nullptr, nullptr);
        gssp_release_buffer(nullptr, &input);
        return major;
    }
    // Both sides until each has completed; false on any failure or when
    // one side waits for a token the other never sends.
    bool Run(gssp_cred_id_t clientCred = nullptr, gssp_cred_id_t serverCred = nullptr) {
        gssp_status minor = 0;
        bool clientDone = false, serverDone = false;
        for (int step = 0; step < 20 && !(clientDone && serverDone); ++step) {
            if (!clientDone && (step == 0 || serverToken.length)) {
                const gssp_status major = Init(&minor, clientCred);
                if (GSSP_ERROR(major)) return false;
                clientDone = major == GSSP_S_COMPLETE;
            } else if (!serverDone && clientToken.length) {
                const gssp_status major = Accept(&minor, serverCred);
                if (GSSP_ERROR(major)) return false;
                serverDone = major == GSSP_S_COMPLETE;
            } else {
                return false;
            }
            if (clientDone && !serverDone && !clientToken.length) return false;
        }
        return clientDone && serverDone;
    }

    gssp_ctx_id_t clientContext = nullptr;
    gssp_ctx_id_t serverContext = nullptr;
    gssp_buffer_desc clientToken{};
    gssp_buffer_desc serverToken{};
    gssp_name_t sourceName = nullptr;
    gssp_OID actualMech = nullptr;
    gssp_OID acceptMech = nullptr;
    uint32_t flags = 0;

private:
    const gssp_mech_info& client_;
    const gssp_mech_info& server_;
    gssp_OID clientMech_;
};

}  // namespace qxtest_tests

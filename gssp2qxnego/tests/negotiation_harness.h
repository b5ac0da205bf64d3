// The negotiating mechanism as an application sees it: the framework
// stand-in started from a compiled fixture configuration loads the real
// plug-in library and the test mechanisms, and the application interface
// reaches QXNEGO by its OID. Tests look into a context through its record.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <ostream>
#include <string>
#include <vector>

#include "neg_mech.h"
#include "qxgss/application.h"
#include "qxgss/framework.hpp"
#include "qxtest/qxtest.h"
#include "token_reader.h"

struct Leg {
    gssp_status major = 0;
    gssp_status minor = 0;
    gssp_buffer_desc token = {0, nullptr};
    TokenView view;
};

class NegotiationHarness : public testing::Test {
protected:
    void StartWith(const char* fixture) {
        qxtest_reset();
        qxgss::ResetFramework();
        const qxgss::StartupReport report = qxgss::StartFramework(fixture, QX_LIBRARY_PATH);
        ASSERT_TRUE(report.ok) << report.error;
        for (const std::string& m : report.messages) {
            ASSERT_EQ(std::string::npos, m.find("disabled")) << m;
        }
        nego_ = Oid("QXNEGO");
    }

    void TearDown() override {
        gssp_status minor = 0;
        if (client_) qxgss_delete_sec_context(&minor, &client_);
        if (server_) qxgss_delete_sec_context(&minor, &server_);
        if (client_cred_) qxgss_release_cred(&minor, &client_cred_);
        for (Leg& leg : legs_) gssp_release_buffer(&minor, &leg.token);
        qxtest_reset();
    }

    static gssp_OID Oid(const char* name) {
        gssp_status minor = 0;
        gssp_OID oid = nullptr;
        EXPECT_EQ(0u, gssp_mechstr_to_oid(&minor, name, &oid)) << name;
        return oid;
    }

    static std::string OidBytes(const char* name) {
        gssp_OID oid = Oid(name);
        return oid ? std::string((const char*)oid->elements, oid->length) : std::string();
    }

    // A client credential whose name carries logon data.
    void ClientLogon(const std::string& logon) {
        gssp_name_desc name = {GSS_C_NT_QXAT_MECHDATA_UTF8, {logon.size(), (void*)logon.data()}};
        gssp_status minor = 0;
        ASSERT_EQ(0u, qxgss_acquire_cred(&minor, nego_, &name, 0, GSSP_C_INITIATE, &client_cred_));
    }

    // One call on each side, fed with the other side's last token.
    Leg& Init(const gssp_buffer_desc* input) {
        legs_.emplace_back();
        Leg& leg = legs_.back();
        gssp_buffer_desc in = input ? *input : gssp_buffer_desc{0, nullptr};
        leg.major = qxgss_init_sec_context(&leg.minor, client_cred_, &client_, nego_, nullptr, 0, &in, &leg.token,
                                           nullptr, nullptr);
        if (leg.token.length) leg.view = ReadToken(leg.token);
        return leg;
    }

    Leg& Accept(const gssp_buffer_desc* input) {
        legs_.emplace_back();
        Leg& leg = legs_.back();
        gssp_buffer_desc in = input ? *input : gssp_buffer_desc{0, nullptr};
        leg.major = qxgss_accept_sec_context(&leg.minor, &server_, nego_, nullptr, &in, nullptr, &leg.token,
                                             nullptr, nullptr);
        if (leg.token.length) leg.view = ReadToken(leg.token);
        return leg;
    }

    static NegContext* Record(qxgss_ctx_t ctx) { return (NegContext*)qxgss_context_handle(ctx); }

public:
    // {name, state, reason} of an entry of a context's list.
    struct EntryState {
        std::string name;
        uint32_t state;
        uint32_t reason;
        bool operator==(const EntryState& o) const {
            return name == o.name && state == o.state && reason == o.reason;
        }
    };

protected:
    static std::vector<EntryState> Entries(qxgss_ctx_t ctx) {
        std::vector<EntryState> out;
        const NegContext* c = Record(ctx);
        for (uint32_t k = 0; c && k < c->mech_list.count; ++k) {
            const NegMechEntry& e = c->mech_list.entries[k];
            gssp_status minor = 0;
            const char* name = nullptr;
            gssp_oid_to_mechstr(&minor, e.oid, &name);
            out.push_back({name ? name : "?", e.MechState, e.MechReason});
        }
        return out;
    }

    static std::vector<std::string> LogTexts(qxgss_ctx_t ctx) {
        std::vector<std::string> out;
        const NegContext* c = Record(ctx);
        for (uint32_t k = 0; c && k < c->log.count; ++k) out.push_back(c->log.records[k].text ? c->log.records[k].text : "");
        return out;
    }

    // True when `wanted` appears in `log` in this order (other records may lie
    // between them).
    static ::testing::AssertionResult InOrder(const std::vector<std::string>& log,
                                              const std::vector<std::string>& wanted) {
        size_t at = 0;
        for (const std::string& w : wanted) {
            while (at < log.size() && log[at] != w) ++at;
            if (at == log.size()) return ::testing::AssertionFailure() << "missing or out of order: " << w;
            ++at;
        }
        return ::testing::AssertionSuccess();
    }

    gssp_OID nego_ = nullptr;
    qxgss_cred_t client_cred_ = nullptr;
    qxgss_ctx_t client_ = nullptr;
    qxgss_ctx_t server_ = nullptr;
    std::deque<Leg> legs_;  // references stay valid
};

inline std::ostream& operator<<(std::ostream& os, const NegotiationHarness::EntryState& e) {
    return os << e.name << "/" << e.state << "/" << e.reason;
}

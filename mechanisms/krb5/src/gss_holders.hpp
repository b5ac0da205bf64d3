// Owners of what the Kerberos library hands out: each gives its object back
// to the library when it goes.
#pragma once

#include "gssapi.hpp"

namespace qxkrb5 {

class GssBuffer {
public:
    GssBuffer() = default;
    ~GssBuffer() {
        OM_uint32 ignored = 0;
        gss_release_buffer(&ignored, &desc_);
    }
    GssBuffer(const GssBuffer&) = delete;
    GssBuffer& operator=(const GssBuffer&) = delete;
    gss_buffer_t get() { return &desc_; }
    const gss_buffer_desc& operator*() const { return desc_; }

private:
    gss_buffer_desc desc_ = GSS_C_EMPTY_BUFFER;
};

class GssName {
public:
    GssName() = default;
    ~GssName() { reset(); }
    GssName(const GssName&) = delete;
    GssName& operator=(const GssName&) = delete;
    GssName(GssName&& other) noexcept : name_(other.name_) { other.name_ = GSS_C_NO_NAME; }
    GssName& operator=(GssName&& other) noexcept {
        if (this != &other) {
            reset();
            name_ = other.name_;
            other.name_ = GSS_C_NO_NAME;
        }
        return *this;
    }
    void reset() {
        OM_uint32 ignored = 0;
        if (name_ != GSS_C_NO_NAME) gss_release_name(&ignored, &name_);
        name_ = GSS_C_NO_NAME;
    }
    gss_name_t* out() {
        reset();
        return &name_;
    }
    gss_name_t get() const { return name_; }

private:
    gss_name_t name_ = GSS_C_NO_NAME;
};

class GssCred {
public:
    GssCred() = default;
    ~GssCred() {
        OM_uint32 ignored = 0;
        if (cred_ != GSS_C_NO_CREDENTIAL) gss_release_cred(&ignored, &cred_);
    }
    GssCred(const GssCred&) = delete;
    GssCred& operator=(const GssCred&) = delete;
    gss_cred_id_t* out() { return &cred_; }
    gss_cred_id_t get() const { return cred_; }
    // Hands the credential over; the holder gives nothing back afterwards.
    gss_cred_id_t release() {
        gss_cred_id_t c = cred_;
        cred_ = GSS_C_NO_CREDENTIAL;
        return c;
    }

private:
    gss_cred_id_t cred_ = GSS_C_NO_CREDENTIAL;
};

}  // namespace qxkrb5

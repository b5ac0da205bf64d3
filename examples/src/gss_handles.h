// Owners of what the framework's application interface hands out (buffers,
// names, credentials, contexts), each released through its own call when it
// goes, and the error a failed call becomes.
#pragma once

#include <stdexcept>
#include <string>

#include "qxgss/application.h"

namespace qxexample {

// A failed framework call: its name, major and minor status and their texts.
class GssError : public std::runtime_error {
public:
    GssError(const std::string& call, gssp_status major, gssp_status minor);
};

// Throws GssError when `major` is an error.
void Check(const char* call, gssp_status major, gssp_status minor);

// Borrowed bytes as an input buffer (the framework does not keep it).
gssp_buffer_desc InputBuffer(const std::string& bytes);

class Buffer {
public:
    Buffer() = default;
    ~Buffer();
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    gssp_buffer_t get() { return &desc_; }
    std::string Bytes() const;

private:
    gssp_buffer_desc desc_ = {0, nullptr};
};

class Name {
public:
    Name() = default;
    ~Name();
    Name(const Name&) = delete;
    Name& operator=(const Name&) = delete;
    gssp_name_t* out() { return &name_; }
    bool empty() const { return name_ == nullptr; }
    std::string Text() const;

private:
    gssp_name_t name_ = nullptr;
};

class Credential {
public:
    Credential() = default;
    ~Credential();
    Credential(const Credential&) = delete;
    Credential& operator=(const Credential&) = delete;
    qxgss_cred_t get() const { return cred_; }
    qxgss_cred_t* out() { return &cred_; }

private:
    qxgss_cred_t cred_ = nullptr;
};

class Context {
public:
    Context() = default;
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;
    qxgss_ctx_t get() const { return ctx_; }
    qxgss_ctx_t* out() { return &ctx_; }

private:
    qxgss_ctx_t ctx_ = nullptr;
};

}  // namespace qxexample

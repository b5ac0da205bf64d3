#include "gss_handles.h"

#include "status_text.h"

namespace qxexample {

GssError::GssError(const std::string& call, gssp_status major, gssp_status minor)
    : std::runtime_error(call + " failed: " + DescribeStatus(major, minor)) {}

void Check(const char* call, gssp_status major, gssp_status minor) {
    if (GSSP_ERROR(major)) throw GssError(call, major, minor);
}

gssp_buffer_desc InputBuffer(const std::string& bytes) {
    return {bytes.size(), bytes.empty() ? nullptr : const_cast<char*>(bytes.data())};
}

Buffer::~Buffer() {
    gssp_status minor = 0;
    if (desc_.value != nullptr) gssp_release_buffer(&minor, &desc_);
}

std::string Buffer::Bytes() const {
    return desc_.value != nullptr ? std::string(static_cast<const char*>(desc_.value), desc_.length) : std::string();
}

Name::~Name() {
    gssp_status minor = 0;
    if (name_ != nullptr) gssp_release_name(&minor, &name_);
}

std::string Name::Text() const {
    if (name_ == nullptr || name_->text.value == nullptr) return std::string();
    return std::string(static_cast<const char*>(name_->text.value), name_->text.length);
}

Credential::~Credential() {
    gssp_status minor = 0;
    if (cred_ != nullptr) qxgss_release_cred(&minor, &cred_);
}

Context::~Context() {
    gssp_status minor = 0;
    if (ctx_ != nullptr) qxgss_delete_sec_context(&minor, &ctx_);
}

}  // namespace qxexample

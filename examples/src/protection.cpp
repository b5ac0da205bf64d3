#include "protection.h"

#include <stdexcept>

namespace qxexample {

std::string Wrap(const Context& context, const std::string& message) {
    gssp_buffer_desc in = InputBuffer(message);
    Buffer out;
    gssp_status minor = 0;
    int confidential = 0;
    Check("qxgss_wrap", qxgss_wrap(&minor, context.get(), 1, &in, &confidential, out.get()), minor);
    if (!confidential) throw std::runtime_error("qxgss_wrap did not give confidentiality");
    return out.Bytes();
}

std::string Unwrap(const Context& context, const std::string& wrapped) {
    gssp_buffer_desc in = InputBuffer(wrapped);
    Buffer out;
    gssp_status minor = 0;
    int confidential = 0;
    Check("qxgss_unwrap", qxgss_unwrap(&minor, context.get(), &in, out.get(), &confidential), minor);
    return out.Bytes();
}

std::string GetMic(const Context& context, const std::string& message) {
    gssp_buffer_desc in = InputBuffer(message);
    Buffer mic;
    gssp_status minor = 0;
    Check("qxgss_get_mic", qxgss_get_mic(&minor, context.get(), &in, mic.get()), minor);
    return mic.Bytes();
}

void VerifyMic(const Context& context, const std::string& message, const std::string& mic) {
    gssp_buffer_desc in = InputBuffer(message);
    gssp_buffer_desc token = InputBuffer(mic);
    gssp_status minor = 0;
    Check("qxgss_verify_mic", qxgss_verify_mic(&minor, context.get(), &in, &token), minor);
}

}  // namespace qxexample

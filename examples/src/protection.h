// The per-message calls on an established context, over strings.
#pragma once

#include <string>

#include "gss_handles.h"

namespace qxexample {

// Wraps with confidentiality; throws when the mechanism could not give it.
std::string Wrap(const Context& context, const std::string& message);
std::string Unwrap(const Context& context, const std::string& wrapped);
std::string GetMic(const Context& context, const std::string& message);
// Throws GssError when the MIC does not match the message.
void VerifyMic(const Context& context, const std::string& message, const std::string& mic);

}  // namespace qxexample

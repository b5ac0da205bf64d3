// What an established context tells about itself: the mechanism the
// negotiation selected, the initiator's name, the negotiation log.
#pragma once

#include <string>

#include "gss_handles.h"

namespace qxexample {

// The selected mechanism's configured name.
std::string SelectedMechanism(const Context& context);

// The initiator's name as the acceptor sees it; empty when the mechanism
// names none.
std::string InitiatorName(const Context& context);

// The rendered negotiation log from the user properties; throws when the
// properties hold no log record.
std::string NegotiationLog(const Context& context);

}  // namespace qxexample

#include "context_info.h"

#include <stdexcept>

#include "gssp2qxnego.h"

namespace qxexample {

std::string SelectedMechanism(const Context& context) {
    gssp_status minor = 0;
    gssp_OID mech = nullptr;
    Check("qxgss_inquire_context", qxgss_inquire_context(&minor, context.get(), nullptr, &mech, nullptr, nullptr),
          minor);
    const char* name = nullptr;
    Check("gssp_oid_to_mechstr", gssp_oid_to_mechstr(&minor, mech, &name), minor);
    if (name == nullptr) throw std::runtime_error("the selected mechanism has no name");
    return name;
}

std::string InitiatorName(const Context& context) {
    gssp_status minor = 0;
    Name name;
    Check("qxgss_inquire_context", qxgss_inquire_context(&minor, context.get(), name.out(), nullptr, nullptr, nullptr),
          minor);
    return name.Text();
}

std::string NegotiationLog(const Context& context) {
    gssp_status minor = 0;
    Buffer properties;
    Check("qxgss_inquire_properties_for_user",
          qxgss_inquire_properties_for_user(&minor, context.get(), properties.get()), minor);
    const std::string bytes = properties.Bytes();
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::uint64_t offset = 0;
    PropertyRecordView record;
    while (qxat_next_property_record(data, bytes.size(), &offset, &record)) {
        if (record.header.type != QXAT_PROP_NEG_LOG) continue;
        std::string text(reinterpret_cast<const char*>(record.data), record.data_size);
        while (!text.empty() && text.back() == '\0') text.pop_back();
        return text;
    }
    throw std::runtime_error("the user properties hold no negotiation log");
}

}  // namespace qxexample

#include "local_text.hpp"

#include <cstring>

#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/TransService.hpp>
#include <xercesc/util/XMLString.hpp>

XERCES_CPP_NAMESPACE_USE

namespace qx {

#ifdef _WIN32
std::string ToLocal(const XMLCh* text) {
    if (!text) return {};
    char* local = XMLString::transcode(text, XMLPlatformUtils::fgMemoryManager);
    std::string out = local ? local : "";
    XMLString::release(&local, XMLPlatformUtils::fgMemoryManager);
    return out;
}

std::u16string FromLocal(const char* text) {
    XMLCh* wide = XMLString::transcode(text, XMLPlatformUtils::fgMemoryManager);
    std::u16string out(wide ? reinterpret_cast<const char16_t*>(wide) : u"");
    XMLString::release(&wide, XMLPlatformUtils::fgMemoryManager);
    return out;
}
#else
std::string ToLocal(const XMLCh* text) {
    if (!text) return {};
    TranscodeToStr utf8(text, "UTF-8");
    return std::string(reinterpret_cast<const char*>(utf8.str()), utf8.length());
}

std::u16string FromLocal(const char* text) {
    TranscodeFromStr wide(reinterpret_cast<const XMLByte*>(text), std::strlen(text), "UTF-8");
    return std::u16string(reinterpret_cast<const char16_t*>(wide.str()), wide.length());
}
#endif

}  // namespace qx

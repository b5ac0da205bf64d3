// Buffers and names.
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include <utf8.h>

#include "oid.hpp"
#include "memory.hpp"
#include "status.hpp"

using namespace qxgss;

namespace {

void Wipe(void* bytes, std::size_t length) {
    volatile unsigned char* p = static_cast<volatile unsigned char*>(bytes);
    while (length--) *p++ = 0;
}

bool CopyBytes(gssp_buffer_desc& to, const void* bytes, std::uint64_t length) {
    to.length = 0;
    to.value = nullptr;
    if (length == 0) return true;
    if (length > SIZE_MAX - 1 || !bytes) return false;
    // One byte more, zero, so that a text copy is also a C string.
    to.value = Calloc(static_cast<std::size_t>(length) + 1, 1);
    if (!to.value) return false;
    std::memcpy(to.value, bytes, static_cast<std::size_t>(length));
    to.length = length;
    return true;
}

}  // namespace

extern "C" {

QXGSS_API gssp_status gssp_duplicate_buffer(gssp_status* minor, const gssp_buffer_desc* source, gssp_buffer_t copy) {
    if (!source || !copy) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ);
    if (source->length && !source->value) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ);
    if (!CopyBytes(*copy, source->value, source->length)) return Fail(minor, kNoMemory);
    return Ok(minor);
}

QXGSS_API gssp_status gssp_release_buffer(gssp_status* minor, gssp_buffer_t buffer) {
    if (!buffer) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ);
    std::free(buffer->value);
    buffer->value = nullptr;
    buffer->length = 0;
    return Ok(minor);
}

QXGSS_API gssp_status gssp_release_secure_buffer(gssp_status* minor, gssp_buffer_t buffer) {
    if (!buffer) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ);
    if (buffer->value) Wipe(buffer->value, static_cast<std::size_t>(buffer->length));
    return gssp_release_buffer(minor, buffer);
}

QXGSS_API gssp_status gssp_duplicate_name(gssp_status* minor, const gssp_name_desc* name, gssp_name_t* copy) {
    if (!copy) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_WRITE);
    *copy = nullptr;
    if (!name) return Ok(minor);
    auto* out = static_cast<gssp_name_t>(Calloc(1, sizeof(gssp_name_desc)));
    if (!out) return Fail(minor, kNoMemory);
    out->name_type = name->name_type;  // name types are the framework's OIDs
    if (!CopyBytes(out->text, name->text.value, name->text.length)) {
        std::free(out);
        return Fail(minor, kNoMemory);
    }
    *copy = out;
    return Ok(minor);
}

QXGSS_API gssp_status gssp_release_name(gssp_status* minor, gssp_name_t* name) {
    if (!name) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ);
    if (*name) {
        gssp_release_secure_buffer(nullptr, &(*name)->text);
        std::free(*name);
        *name = nullptr;
    }
    return Ok(minor);
}

// UTF-16 and UTF-32 names hold code units in the machine's byte order;
// local-text and UTF-8 names are copied as they are.
QXGSS_API gssp_status gssp_convertname_utf(gssp_status* minor, const gssp_name_desc* name, gssp_buffer_t utf8,
                                           const uint32_t* /*request*/) {
    if (!name || !utf8) return Fail(minor, kBadArgument, GSSP_S_FAILURE | GSSP_S_CALL_INACCESSIBLE_READ);
    utf8->length = 0;
    utf8->value = nullptr;
    if (name->text.length && !name->text.value) return Fail(minor, kBadArgument);
    std::string out;
    try {
        const auto* bytes = static_cast<const unsigned char*>(name->text.value);
        const std::size_t length = static_cast<std::size_t>(name->text.length);
        if (SameOid(name->name_type, GSS_C_NT_QXAT_MECHDATA_UTF16)) {
            if (length % 2) return Fail(minor, kBadText);
            std::u16string units(length / 2, u'\0');
            if (length) std::memcpy(&units[0], bytes, length);
            utf8::utf16to8(units.begin(), units.end(), std::back_inserter(out));
        } else if (SameOid(name->name_type, GSS_C_NT_QXAT_MECHDATA_UTF32)) {
            if (length % 4) return Fail(minor, kBadText);
            std::u32string units(length / 4, U'\0');
            if (length) std::memcpy(&units[0], bytes, length);
            utf8::utf32to8(units.begin(), units.end(), std::back_inserter(out));
        } else {
            out.assign(reinterpret_cast<const char*>(bytes), length);
        }
    } catch (const utf8::exception&) {
        return Fail(minor, kBadText);
    } catch (const std::bad_alloc&) {
        return Fail(minor, kNoMemory);
    }
    if (!CopyBytes(*utf8, out.data(), out.size())) return Fail(minor, kNoMemory);
    return Ok(minor);
}

}  // extern "C"

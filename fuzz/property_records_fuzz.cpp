// Fuzzes the user-property record walk. Byte 0 chooses what the rest is:
//   even: an existing user-properties buffer, walked and then updated by
//         qxat_fill_mechinfo, which must touch only its flags records;
//   odd:  the fields of a qxat_fill_authorizations call separated by NUL
//         bytes (primary, optional, second, default user, extra text,
//         requested user, requested profile, then the name, profile and user
//         lists with entries separated by '\n'); bits 1-7 of byte 0 choose
//         the kind, the extra-text switch and which texts are null.
// Every output must be whole records that fill it exactly, each with the
// length its kind gives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fake_framework.h"
#include "gssp2qxnego.h"

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

uint16_t read16(const unsigned char* p) {
    return (uint16_t)(p[0] | (p[1] << 8));
}

size_t expected_length(uint16_t type, size_t data_length) {
    if (type == QXAT_PROP_FLAGS) {
        return 16;
    }
    const bool no_room = type == QXAT_PROP_PRIMARY_NAME || type == QXAT_PROP_SECOND_NAME || type == QXAT_PROP_EXTRA_TEXT;
    return (data_length + (no_room ? 6 : 7) + 3) & ~size_t(3);
}

// Walks an output of the builders: whole records, filling it exactly.
size_t check_output(const gssp_buffer_desc& b) {
    const unsigned char* bytes = static_cast<const unsigned char*>(b.value);
    uint64_t offset = 0;
    size_t records = 0;
    PropertyRecordView v;
    while (qxat_next_property_record(bytes, b.length, &offset, &v)) {
        check(v.data_size == v.header.data_length);
        check(v.header.length == expected_length(v.header.type, v.data_size));
        for (size_t i = QXAT_PROPERTY_HEADER_SIZE + v.data_size; i < v.header.length; ++i) {
            check(bytes[v.offset + i] == 0);
        }
        ++records;
    }
    check(offset == b.length);
    return records;
}

void fuzz_mechinfo(const std::uint8_t* data, std::size_t size, unsigned char flag) {
    // An exact-size heap copy, so that the sanitizer sees any write past it.
    unsigned char* bytes = static_cast<unsigned char*>(std::malloc(size + 1));
    std::memcpy(bytes, data, size);
    gssp_buffer_desc existing = {size, bytes};

    // The walk stays inside the buffer; remember the flags records it sees.
    std::vector<uint64_t> flags;
    uint64_t offset = 0;
    PropertyRecordView v;
    while (qxat_next_property_record(bytes, size, &offset, &v)) {
        check(v.offset + v.header.length <= size && v.header.length >= QXAT_PROPERTY_HEADER_SIZE);
        check(v.data_size <= v.header.length - QXAT_PROPERTY_HEADER_SIZE);
        if (v.header.type == QXAT_PROP_FLAGS && v.header.length >= QXAT_PROPERTY_HEADER_SIZE + 2) {
            flags.push_back(v.offset);
        }
    }
    check(offset <= size);

    gssp_buffer_desc out = {0, nullptr};
    gssp_status minor = 0;
    check(qxat_fill_mechinfo(&minor, &existing, &out, &flag, &fake_qxnego_oid) == 0);
    check(check_output(out) == (flags.empty() ? 4u : 3u));

    // Only the data length and byte 1 of each flags record changed.
    std::vector<unsigned char> expected(data, data + size);
    for (uint64_t at : flags) {
        expected[at + 4] = 2;
        expected[at + 5] = 0;
        expected[at + 7] = flag;
    }
    check(size == 0 || std::memcmp(expected.data(), bytes, size) == 0);
    for (uint64_t at : flags) {
        check(read16(bytes + at + 4) == 2);
    }
    std::free(out.value);
    std::free(bytes);
}

// A null-terminated list of malloc'd entries from text split at '\n'.
char** make_list(const std::string& text) {
    std::vector<std::string> entries;
    size_t begin = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n') {
            if (i > begin || i < text.size()) {
                entries.push_back(text.substr(begin, i - begin));
            }
            begin = i + 1;
        }
    }
    char** list = static_cast<char**>(std::calloc(entries.size() + 1, sizeof(char*)));
    for (size_t i = 0; i < entries.size(); ++i) {
        list[i] = static_cast<char*>(std::malloc(entries[i].size() + 1));
        std::memcpy(list[i], entries[i].c_str(), entries[i].size() + 1);
    }
    return list;
}

void free_list(char** list) {
    for (size_t i = 0; list[i] != nullptr; ++i) {
        std::free(list[i]);
    }
    std::free(list);
}

void fuzz_authorizations(const std::uint8_t* data, std::size_t size, unsigned control) {
    std::vector<std::string> field(10);
    size_t f = 0;
    for (size_t i = 0; i < size && f < field.size(); ++i) {
        if (data[i] == 0) {
            ++f;
        } else {
            field[f] += static_cast<char>(data[i]);
        }
    }
    char** names = make_list(field[7]);
    char** profiles = make_list(field[8]);
    char** users = make_list(field[9]);
    const auto text = [&](int i, unsigned bit) { return (control & bit) != 0 ? nullptr : field[i].c_str(); };
    AuthorizationInfo info = {(control & 0x02) != 0 ? QXAT_KIND_NO_LISTS : 0u,
                              text(4, 0x08),
                              nullptr,
                              field[2].c_str(),
                              field[3].c_str(),
                              names,
                              profiles,
                              users};
    gssp_buffer_desc out = {0, nullptr};
    gssp_status minor = 0;
    const gssp_status major = qxat_fill_authorizations(&minor, &out, field[0].c_str(), text(1, 0x10), &info,
                                                       text(5, 0x20), text(6, 0x40), (control & 0x04) != 0);
    if (major == 0) {
        check(minor == 0x21000064u);
        check(check_output(out) >= 5);
    } else {
        check(major == 0x000D0000u);
        check(out.value == nullptr && out.length == 0);
    }
    std::free(out.value);
    free_list(names);
    free_list(profiles);
    free_list(users);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    if ((data[0] & 1) == 0) {
        fuzz_mechinfo(data + 1, size - 1, data[0]);
    } else {
        fuzz_authorizations(data + 1, size - 1, data[0]);
    }
    return 0;
}

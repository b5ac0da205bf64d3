#include "binary_file.hpp"

#include <cerrno>
#include <cstdio>
#include <new>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "messages.hpp"
#include "run_end.hpp"

namespace qx {
namespace {

void Place(CompilerState& s, int i, int newParent) {
    ElementRecord& m = s.merged.elements[i];
    const int f = ++s.final.elementLast;
    s.final.elements[f] = m;
    s.final.elements[f].parent = newParent;
    m.level = -1;      // placed
    m.firstChild = f;  // its new index
}

bool Placed(const ElementRecord& m) { return m.level == -1; }

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
    out[at + 2] = static_cast<std::uint8_t>(v >> 16);
    out[at + 3] = static_cast<std::uint8_t>(v >> 24);
}

void PutI32(std::vector<std::uint8_t>& out, std::size_t at, std::int32_t v) {
    Put32(out, at, static_cast<std::uint32_t>(v));
}

}  // namespace

void RegroupElements(CompilerState& s) {
    DocumentTables& m = s.merged;
    s.final.elementLast = -1;
    for (int i = 0; i <= m.elementLast; ++i) {
        if (!Placed(m.elements[i])) {
            const int p = m.elements[i].parent;
            const int newParent = (i == 0 || !Placed(m.elements[p])) ? 0 : m.elements[p].firstChild;
            Place(s, i, newParent);
        }
        const int newIndex = m.elements[i].firstChild;
        for (int j = i + 1; j <= m.elementLast; ++j) {
            if (Placed(m.elements[j]) || m.elements[j].parent != i) continue;
            Place(s, j, newIndex);
            ElementRecord& parent = s.final.elements[newIndex];
            parent.firstChild = s.final.elementLast + 1 - parent.childCount;
        }
    }
}

std::vector<std::uint8_t> BuildBinaryConfig(const CompilerState& s) {
    const std::uint32_t elements = static_cast<std::uint32_t>(s.final.elementLast + 1);
    const std::uint32_t attributes = static_cast<std::uint32_t>(s.merged.attributeLast + 1);
    const std::uint32_t texts = static_cast<std::uint32_t>(s.merged.textLast + 1);
    const std::uint32_t poolLength = s.pool.length();
    const std::uint32_t poolSize = (poolLength + 3u) & ~3u;

    const std::uint32_t elementOffset = kHeaderSize;
    const std::uint32_t attributeOffset = elementOffset + kElementRecordSize * elements;
    const std::uint32_t textOffset = attributeOffset + kAttributeRecordSize * attributes;
    const std::uint32_t poolOffset = textOffset + kTextRecordSize * texts;

    std::vector<std::uint8_t> out;
    try {
        out.assign(static_cast<std::size_t>(poolOffset) + poolSize, 0);
    } catch (const std::bad_alloc&) {
        std::fputs(msg::kInsufficientMemory, stdout);
        EndRun(1);
    }

    Put32(out, 0, kFormatVersion);
    Put32(out, 4, 0);  // reserved
    Put32(out, 8, elementOffset);
    PutI32(out, 12, s.final.elementLast);
    Put32(out, 16, attributeOffset);
    PutI32(out, 20, s.merged.attributeLast);
    Put32(out, 24, textOffset);
    PutI32(out, 28, s.merged.textLast);
    Put32(out, 32, poolOffset);
    Put32(out, 36, s.pool.stringCount());
    Put32(out, 40, poolSize);

    std::size_t at = elementOffset;
    for (std::uint32_t i = 0; i < elements; ++i) {
        const ElementRecord& e = s.final.elements[i];
        for (std::int32_t v : {e.level, e.parent, e.name, e.firstChild, e.childCount, e.firstAttribute,
                               e.attributeCount, e.firstText, e.textCount}) {
            PutI32(out, at, v);
            at += 4;
        }
    }
    for (std::uint32_t i = 0; i < attributes; ++i) {
        PutI32(out, at, s.merged.attributes[i].name);
        PutI32(out, at + 4, s.merged.attributes[i].value);
        at += kAttributeRecordSize;
    }
    for (std::uint32_t i = 0; i < texts; ++i) {
        PutI32(out, at, s.merged.texts[i].value);
        at += kTextRecordSize;
    }
    const std::vector<char>& pool = s.pool.bytes();
    for (std::uint32_t i = 0; i < poolLength; ++i) out[at + i] = static_cast<std::uint8_t>(pool[i]);
    return out;
}

void WriteBinaryConfig(const CompilerState& s, int fd) {
    const std::vector<std::uint8_t> bytes = BuildBinaryConfig(s);
#ifdef _WIN32
    const long long written = _write(fd, bytes.data(), static_cast<unsigned>(bytes.size()));
#else
    const long long written = ::write(fd, bytes.data(), bytes.size());
#endif
    if (written != static_cast<long long>(bytes.size())) {
        if (written >= 0) errno = ENOSPC;  // a short write without an error of its own
        std::perror(msg::kWriteError);
        EndRun(1);
    }
}

}  // namespace qx

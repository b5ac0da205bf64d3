// The reader against small files built record by record: what a valid file
// gives through the accessors, and one row per fault with its exact message.
#include <climits>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "file_builder.hpp"
#include "qxgss/binary_config.hpp"

namespace qxgss::test {
namespace {

enum Field { kLevel, kParent, kName, kFirstChild, kChildCount, kFirstAttribute, kAttributeCount, kFirstText, kTextCount };

// <Root Id="r">
//   <A X="&lt;" y="">      (attributes 1 and 2)
//     <A1> hello </A1>      (text 0)
//   </A>
//   <B> t </B>             (text 1)
//     <B1/>
// Element table: Root, A, B, A1, B1.
FileBuilder Tree() {
    FileBuilder b;
    const std::int32_t root = b.str("Root"), a = b.str("A"), bb = b.str("B"), a1 = b.str("A1"), b1 = b.str("B1");
    const std::int32_t id = b.str("Id"), r = b.str("r"), x = b.str("X"), lt = b.str("<"), y = b.str("y");
    const std::int32_t hello = b.str("hello"), t = b.str("t");
    b.elements = {
        {0, 0, root, 1, 2, 0, 1, 0, 0},  // 0 Root
        {1, 0, a, 3, 1, 1, 2, 0, 0},     // 1 A
        {1, 0, bb, 4, 1, 3, 0, 1, 1},    // 2 B
        {2, 1, a1, 4, 0, 3, 0, 0, 1},    // 3 A1
        {2, 2, b1, 5, 0, 3, 0, 2, 0},    // 4 B1
    };
    b.attributes = {{id, r}, {x, lt}, {y, 0}};
    b.texts = {hello, t};
    return b;
}

LoadResult Load(const std::vector<std::uint8_t>& bytes) { return LoadBinaryConfig(bytes.data(), bytes.size(), "t.bin"); }

TEST(BinaryConfigReader, ValidTreeThroughTheAccessors) {
    const LoadResult loaded = Load(Tree().bytes());
    ASSERT_TRUE(loaded) << loaded.error;
    EXPECT_EQ(loaded.error, "");
    const BinaryConfig& c = *loaded.config;
    EXPECT_EQ(c.elementCount(), 5);
    EXPECT_EQ(c.attributeCount(), 3);
    EXPECT_EQ(c.textCount(), 2);
    EXPECT_EQ(c.stringCount(), 12u);
    EXPECT_EQ(c.root(), 0);
    EXPECT_EQ(c.elementName(c.root()), "Root");

    std::vector<std::string> names;
    for (std::int32_t e : c.children(c.root())) names.emplace_back(c.elementName(e));
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(c.children(3).empty());
    EXPECT_EQ(c.children(1).first(), 3);

    EXPECT_EQ(c.attributeValue(1, "x"), std::optional<std::string_view>("<"));
    EXPECT_EQ(c.attributeValue(1, "Y"), std::optional<std::string_view>(""));
    EXPECT_EQ(c.attributeValue(1, "Id"), std::nullopt);  // the root's, not A's
    EXPECT_EQ(c.findAttribute(0, "iD"), std::optional<std::int32_t>(0));
    EXPECT_EQ(c.textValue(c.texts(3).first()), "hello");
    EXPECT_EQ(c.string(0), "");
    EXPECT_EQ(c.element(4).parent, 2);
}

TEST(BinaryConfigReader, AccessorsRefuseIndicesOutsideTheFile) {
    const LoadResult loaded = Load(Tree().bytes());
    ASSERT_TRUE(loaded) << loaded.error;
    const BinaryConfig& c = *loaded.config;
    EXPECT_THROW(c.element(5), std::out_of_range);
    EXPECT_THROW(c.element(-1), std::out_of_range);
    EXPECT_THROW(c.attribute(3), std::out_of_range);
    EXPECT_THROW(c.text(2), std::out_of_range);
    EXPECT_THROW(c.string(-1), std::out_of_range);
    EXPECT_THROW(c.string(static_cast<std::int32_t>(Tree().pool.size() + 3)), std::out_of_range);
    EXPECT_THROW(c.children(7), std::out_of_range);
}

TEST(BinaryConfigReader, AsciiCaseOnlyIsIgnored) {
    EXPECT_TRUE(EqualsIgnoreAsciiCase("ObjectId", "OBJECTID"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase("ObjectId", "ObjectI"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase("\xC4", "\xE4"));  // not ASCII letters
    EXPECT_FALSE(EqualsIgnoreAsciiCase("@", "`"));
}

// Files that must load: what the layout leaves open.
TEST(BinaryConfigReader, AcceptsWhatTheLayoutLeavesOpen) {
    struct Row {
        const char* name;
        std::function<std::vector<std::uint8_t>()> make;
    };
    const Row rows[] = {
        {"reserved word set", [] {
             auto f = Tree().bytes();
             Put32(f, format::kReservedAt, 0xDEADBEEFu);
             return f;
         }},
        {"first child of a childless element is meaningless", [] {
             auto f = Tree().bytes();
             Put32(f, ElementFieldAt(4, kFirstChild), 0x80000000u);
             return f;
         }},
        {"root alone, no attributes or texts, pool of the empty string only", [] {
             FileBuilder b;
             b.elements = {{0, 0, 0, 0, 0, 0, 0, 0, 0}};
             return b.bytes();
         }},
        {"pool needing no padding", [] {
             FileBuilder b;
             b.elements = {{0, 0, b.str("ab"), 0, 0, 0, 0, 0, 0}};  // "\0ab\0"
             return b.bytes();
         }},
        {"pool holding strings no record refers to", [] {
             FileBuilder b = Tree();
             b.str("unused");
             return b.bytes();
         }},
    };
    for (const Row& row : rows) {
        const LoadResult loaded = Load(row.make());
        EXPECT_TRUE(loaded) << row.name << ": " << loaded.error;
    }
}

struct Fault {
    const char* name;
    std::function<std::vector<std::uint8_t>()> make;
    const char* error;
};

std::vector<std::uint8_t> Patched(std::size_t at, std::uint32_t value) {
    auto f = Tree().bytes();
    Put32(f, at, value);
    return f;
}

std::vector<std::uint8_t> WithElement(std::size_t e, Field field, std::int32_t value) {
    return Patched(ElementFieldAt(e, field), static_cast<std::uint32_t>(value));
}

std::vector<std::uint8_t> Resized(long delta) {
    auto f = Tree().bytes();
    f.resize(static_cast<std::size_t>(static_cast<long>(f.size()) + delta), 0);
    return f;
}

// A root named "ab" over a pool given byte for byte (its size a multiple of 4).
std::vector<std::uint8_t> WithPool(const std::string& pool, std::uint32_t strings) {
    FileBuilder b;
    b.elements = {{0, 0, 1, 0, 0, 0, 0, 0, 0}};
    b.pool = pool;
    b.strings = strings;
    return b.bytes();
}

// The tree's file is 44 + 5*36 + 3*8 + 2*4 = 256 bytes before its pool:
// "\0Root\0A\0B\0A1\0B1\0Id\0r\0X\0<\0y\0hello\0t\0" is 35 bytes, padded to 36.
// Attributes start at 224, texts at 248.
TEST(BinaryConfigReader, RejectsEachFaultWithItsMessage) {
    const Fault faults[] = {
        // Header
        {"empty file", [] { return std::vector<std::uint8_t>{}; },
         "t.bin: file of 0 bytes is shorter than the 44-byte header"},
        {"header cut", [] { return std::vector<std::uint8_t>(43, 0); },
         "t.bin: file of 43 bytes is shorter than the 44-byte header"},
        {"version 3", [] { return Patched(format::kVersionAt, 3); }, "t.bin: format version 3, expected 2"},
        {"version 1", [] { return Patched(format::kVersionAt, 1); }, "t.bin: format version 1, expected 2"},
        {"element table elsewhere", [] { return Patched(format::kElementOffsetAt, 48); },
         "t.bin: element table offset 48, expected 44"},
        {"element last below -1", [] { return Patched(format::kElementLastAt, 0xFFFFFFFEu); },
         "t.bin: element last index -2 is below -1"},
        {"element last one more", [] { return Patched(format::kElementLastAt, 5); },
         "t.bin: attribute table offset 224, expected 260"},
        {"element last at the top of its range", [] { return Patched(format::kElementLastAt, 0x7FFFFFFFu); },
         "t.bin: attribute table offset 224, expected 77309411372"},
        {"attribute last lowest", [] { return Patched(format::kAttributeLastAt, 0x80000000u); },
         "t.bin: attribute last index -2147483648 is below -1"},
        {"attribute last one less", [] { return Patched(format::kAttributeLastAt, 1); },
         "t.bin: text table offset 248, expected 240"},
        {"text table shifted", [] { return Patched(format::kTextOffsetAt, 252); },
         "t.bin: text table offset 252, expected 248"},
        {"text last below -1", [] { return Patched(format::kTextLastAt, 0xFFFFFFF0u); },
         "t.bin: text last index -16 is below -1"},
        {"pool offset not after the texts", [] { return Patched(format::kPoolOffsetAt, 260); },
         "t.bin: pool table offset 260, expected 256"},
        {"pool size not aligned", [] { return Patched(format::kPoolSizeAt, 37); },
         "t.bin: pool size 37 is not a multiple of 4"},
        {"pool size at the top of its range", [] { return Patched(format::kPoolSizeAt, 0xFFFFFFFCu); },
         "t.bin: file length 292, expected 4294967548 (pool offset 256 + pool size 4294967292)"},
        {"file cut by one byte", [] { return Resized(-1); },
         "t.bin: file length 291, expected 292 (pool offset 256 + pool size 36)"},
        {"file extended by four bytes", [] { return Resized(4); },
         "t.bin: file length 296, expected 292 (pool offset 256 + pool size 36)"},
        {"no element at all", [] { return FileBuilder().bytes(); },
         "t.bin: the element table is empty: there is no root"},
        // String pool
        {"pool empty", [] { return WithPool("", 0); },
         "t.bin: the string pool does not start with the NUL of the empty string"},
        {"pool without the empty string", [] { return WithPool(std::string("ab\0\0", 4), 1); },
         "t.bin: the string pool does not start with the NUL of the empty string"},
        {"last string unterminated", [] { return WithPool(std::string("\0abc", 4), 1); },
         "t.bin: string pool: the string at offset 1 is not terminated"},
        {"empty string stored", [] { return WithPool(std::string("\0\0ab\0\0\0\0", 8), 1); },
         "t.bin: string pool: an empty string is stored at offset 1"},
        {"four bytes of fill", [] { return WithPool(std::string("\0ab\0\0\0\0\0", 8), 1); },
         "t.bin: string pool: 4 zero bytes after the last string, at most 3 expected"},
        {"string stored twice", [] { return WithPool(std::string("\0ab\0ab\0\0", 8), 2); },
         "t.bin: string pool: the string at offset 4 repeats the one at offset 1"},
        {"string count too high", [] { return Patched(format::kStringCountAt, 13); },
         "t.bin: string count 13, but the pool holds 12 strings"},
        // String references
        {"element name beyond the pool", [] { return WithElement(3, kName, 36); },
         "t.bin: element 3 name: string offset 36 outside the pool (36 bytes)"},
        {"element name negative", [] { return WithElement(0, kName, -1); },
         "t.bin: element 0 name: string offset -1 outside the pool (36 bytes)"},
        {"attribute value inside a string", [] { return Patched(224 + 8 + 4, 2); },
         "t.bin: attribute 1 value: string offset 2 is not the start of a stored string"},
        {"attribute name on a NUL", [] { return Patched(224 + 16, 5); },
         "t.bin: attribute 2 name: string offset 5 is not the start of a stored string"},
        {"text in the zero fill", [] { return Patched(248 + 4, 35); },
         "t.bin: text 1: string offset 35 is not the start of a stored string"},
        // Elements: root, child ranges, parents, levels
        {"root at level 1", [] { return WithElement(0, kLevel, 1); },
         "t.bin: element 0: level 1, the root's level is 0"},
        {"root with a parent", [] { return WithElement(0, kParent, 2); },
         "t.bin: element 0: parent 2, the root's parent is 0"},
        {"child count negative", [] { return WithElement(1, kChildCount, -1); },
         "t.bin: element 1: child count -1 is negative"},
        {"child range on the element itself (a cycle)", [] { return WithElement(1, kFirstChild, 1); },
         "t.bin: element 1: first child 1 is not after the element"},
        {"child range before the element (a cycle)", [] {
             auto f = WithElement(3, kChildCount, 1);
             Put32(f, ElementFieldAt(3, kFirstChild), 1);
             return f;
         },
         "t.bin: element 3: first child 1 is not after the element"},
        {"first child beyond the table", [] { return WithElement(0, kFirstChild, 40); },
         "t.bin: element 0: first child 40 beyond the element table (5 records)"},
        {"last child beyond the table", [] { return WithElement(0, kChildCount, 5); },
         "t.bin: element 0: last child 5 beyond the element table (5 records)"},
        {"child count at the top of its range", [] { return WithElement(0, kChildCount, INT_MAX); },
         "t.bin: element 0: last child 2147483647 beyond the element table (5 records)"},
        {"overlapping child ranges", [] { return WithElement(1, kFirstChild, 2); },
         "t.bin: element 1: child 2 is also a child of element 0"},
        {"element outside every child range", [] { return WithElement(1, kChildCount, 0); },
         "t.bin: element 3: parent 1, but no element lists it as a child"},
        {"parent not the element that lists it", [] { return WithElement(4, kParent, 1); },
         "t.bin: element 4: parent 1, but it is a child of element 2"},
        {"level not one below the parent", [] { return WithElement(3, kLevel, 3); },
         "t.bin: element 3: level 3, expected 2 (its parent 1 is at level 1)"},
        {"level negative", [] { return WithElement(2, kLevel, -1); },
         "t.bin: element 2: level -1, expected 1 (its parent 0 is at level 0)"},
        // Attribute and text ranges
        {"attribute count negative", [] { return WithElement(0, kAttributeCount, -2); },
         "t.bin: element 0: attribute count -2 is negative"},
        {"first attribute negative", [] { return WithElement(2, kFirstAttribute, -1); },
         "t.bin: element 2: first attribute -1 is negative"},
        {"attribute range beyond the table", [] { return WithElement(1, kAttributeCount, 3); },
         "t.bin: element 1: attributes 1 to 3 beyond the attribute table (3 records)"},
        {"empty attribute range past the end", [] { return WithElement(4, kFirstAttribute, 4); },
         "t.bin: element 4: first attribute 4 beyond the attribute table (3 records)"},
        {"attribute count at the top of its range", [] { return WithElement(1, kAttributeCount, INT_MAX); },
         "t.bin: element 1: attributes 1 to 2147483647 beyond the attribute table (3 records)"},
        {"attribute shared by two elements", [] { return WithElement(0, kAttributeCount, 2); },
         "t.bin: element 1: attribute 1 also belongs to element 0"},
        {"text count negative", [] { return WithElement(3, kTextCount, INT_MIN); },
         "t.bin: element 3: text count -2147483648 is negative"},
        {"text range beyond the table", [] { return WithElement(2, kFirstText, 2); },
         "t.bin: element 2: texts 2 to 2 beyond the text table (2 records)"},
        {"text shared by two elements", [] { return WithElement(2, kFirstText, 0); },
         "t.bin: element 3: text 0 also belongs to element 2"},
    };
    for (const Fault& fault : faults) {
        const LoadResult loaded = Load(fault.make());
        EXPECT_FALSE(loaded) << fault.name;
        EXPECT_EQ(loaded.error, fault.error) << fault.name;
    }
}

}  // namespace
}  // namespace qxgss::test

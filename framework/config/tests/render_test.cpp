// The dump format on a small tree: indentation, self-closing elements,
// texts before children, record order and escaping.
#include <gtest/gtest.h>

#include "file_builder.hpp"
#include "render.hpp"

namespace qxgss::test {
namespace {

// <Config Kind="a&b<c>"d'">          attributes 0, 1
//   <Mech Name="M1">                 attribute 2, texts 0 and 1, children
//     <Prop On="yes"/>
//     <Empty/>
//   <Qop>                            text 2, no children
TEST(RenderXml, IndentsEscapesAndClosesAsTheFormatSays) {
    FileBuilder b;
    const std::int32_t config = b.str("Config"), mech = b.str("Mech"), prop = b.str("Prop"), empty = b.str("Empty"),
                       qop = b.str("Qop");
    b.attributes = {{b.str("Kind"), b.str("a&b<c>\"d'")}, {b.str("Blank"), 0}, {b.str("Name"), b.str("M1")},
                    {b.str("On"), b.str("yes")}};
    b.texts = {b.str("x & y < z > \"q\""), b.str("second"), b.str("GLOBAL_QOP_AES128")};
    b.elements = {
        {0, 0, config, 1, 2, 0, 2, 0, 0},
        {1, 0, mech, 3, 2, 2, 1, 0, 2},
        {1, 0, qop, 0, 0, 4, 0, 2, 1},
        {2, 1, prop, 0, 0, 3, 1, 2, 0},
        {2, 1, empty, 0, 0, 4, 0, 2, 0},
    };
    const std::vector<std::uint8_t> bytes = b.bytes();
    const LoadResult loaded = LoadBinaryConfig(bytes.data(), bytes.size(), "r.bin");
    ASSERT_TRUE(loaded) << loaded.error;
    EXPECT_EQ(RenderXml(*loaded.config),
              "<?xml version=\"1.0\"?>\n"
              "<Config Kind=\"a&amp;b&lt;c&gt;&quot;d'\" Blank=\"\">\n"
              "  <Mech Name=\"M1\">\n"
              "    x &amp; y &lt; z &gt; \"q\"\n"
              "    second\n"
              "    <Prop On=\"yes\"/>\n"
              "    <Empty/>\n"
              "  </Mech>\n"
              "  <Qop>\n"
              "    GLOBAL_QOP_AES128\n"
              "  </Qop>\n"
              "</Config>\n");
}

TEST(RenderXml, RootAloneIsOneSelfClosingLine) {
    FileBuilder b;
    b.elements = {{0, 0, b.str("QxgssConfig"), 0, 0, 0, 0, 0, 0}};
    const std::vector<std::uint8_t> bytes = b.bytes();
    const LoadResult loaded = LoadBinaryConfig(bytes.data(), bytes.size(), "r.bin");
    ASSERT_TRUE(loaded) << loaded.error;
    EXPECT_EQ(RenderXml(*loaded.config), "<?xml version=\"1.0\"?>\n<QxgssConfig/>\n");
}

}  // namespace
}  // namespace qxgss::test

// The block as written, byte for byte.
#include <gtest/gtest.h>

#include "header_block.h"
#include "save.h"

using namespace rawfile;

namespace {

HeaderValues Example() {
    HeaderValues v;
    v.version = 2.0;
    v.receiverId = "A1B2C3";
    return v;
}

std::string BlockText(const HeaderBlock& b) {
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

}  // namespace

TEST(HeaderBlock, ExampleLayoutByteForByte) {
    HeaderValues v = Example();
    const std::string text = ComposeHeaderText(v, "1.500");
    // Without the date's and the model line's own characters the text takes 82 bytes.
    EXPECT_EQ(text.size(), 82u);
    EXPECT_EQ(text,
              "VORTALIX COLLECTED DATA FILE\r\nver 2.0\r\nReceiverID:A1B2C3\r\nDate:\r\n\r\n"
              "AntHigh:1.500\r\n");
    HeaderBlock block;
    ASSERT_TRUE(ComposeHeaderBlock(text, 1500, &block));
    std::string expected = text;
    expected.resize(160, '\0');
    expected[130] = '\xDC';
    expected[131] = '\x05';
    EXPECT_EQ(BlockText(block), expected);
    EXPECT_EQ(MillimetresInBlock(block.data()), 1500);
}

TEST(HeaderBlock, ModelLineAndVersionAsWritten) {
    HeaderValues v = Example();
    v.version = 0;  // read from "version 3"
    v.date = "2026-03-27";
    v.model = "Model:VX-10";
    EXPECT_EQ(ComposeHeaderText(v, "0.000"),
              "VORTALIX COLLECTED DATA FILE\r\nver 0.0\r\nReceiverID:A1B2C3\r\n"
              "Date:2026-03-27\r\nModel:VX-10\r\nAntHigh:0.000\r\n");
    v.version = 2.25;  // more decimals are rounded
    EXPECT_NE(ComposeHeaderText(v, "1").find("ver 2.2\r\n"), std::string::npos);
}

TEST(HeaderBlock, TextPastByte129LosesFourBytesToTheField) {
    HeaderValues v = Example();
    v.model = "Model:" + std::string(60, 'M');
    const std::string text = ComposeHeaderText(v, "-1.500");
    ASSERT_GT(text.size(), 134u);
    ASSERT_LT(text.size(), 160u);
    HeaderBlock block;
    ASSERT_TRUE(ComposeHeaderBlock(text, -1500, &block));
    EXPECT_EQ(MillimetresInBlock(block.data()), -1500);
    EXPECT_EQ(block[130], 0x24);
    EXPECT_EQ(block[133], 0xFF);
    EXPECT_EQ(BlockText(block).substr(0, 130), text.substr(0, 130));
    EXPECT_EQ(BlockText(block).substr(134, text.size() - 134), text.substr(134));
    EXPECT_EQ(block[text.size()], 0);
}

TEST(HeaderBlock, TextOf160BytesOrMoreDoesNotFit) {
    HeaderBlock block;
    block.fill(0xAA);
    EXPECT_TRUE(ComposeHeaderBlock(std::string(159, 'x'), 0, &block));
    block.fill(0xAA);
    EXPECT_FALSE(ComposeHeaderBlock(std::string(160, 'x'), 0, &block));
    EXPECT_EQ(block[0], 0xAA);
}

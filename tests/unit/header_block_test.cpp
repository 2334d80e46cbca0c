// The block as written, byte for byte.
#include <gtest/gtest.h>

#include "header_block.h"

using namespace rawfile;

TEST(HeaderBlock, LayoutByteForByte) {
    HeaderValues v;
    v.version = 2.0;
    v.receiverId = "A1B2C3";
    const std::string text = ComposeHeaderText(v, "1.500");
    EXPECT_EQ(text,
              "VORTALIX COLLECTED DATA FILE\r\nver 2.0\r\nReceiverID:A1B2C3\r\nDate:\r\n\r\n"
              "AntHigh:1.500\r\n");
    HeaderBlock block;
    ASSERT_TRUE(ComposeHeaderBlock(text, 1500, &block));
    std::string expected = text;
    expected.resize(160, '\0');
    expected.replace(130, 2, "\xDC\x05");
    EXPECT_EQ(std::string(block.begin(), block.end()), expected);

    // Versions are written with one decimal; a text past byte 129 loses four bytes to the field.
    v.version = 2.25;
    v.model = "Model:" + std::string(60, 'M');
    const std::string past = ComposeHeaderText(v, "-1.500");
    EXPECT_NE(past.find("\r\nver 2.2\r\n"), std::string::npos);
    ASSERT_TRUE(ComposeHeaderBlock(past, -1500, &block));
    EXPECT_EQ(MillimetresInBlock(block.data()), -1500);
    EXPECT_EQ(std::string(block.begin(), block.begin() + 130), past.substr(0, 130));
    EXPECT_EQ(std::string(block.begin() + 134, block.end()),
              past.substr(134) + std::string(160 - past.size(), '\0'));

    // A text of 160 bytes or more does not fit and leaves the block as it was.
    block.fill(0xAA);
    EXPECT_FALSE(ComposeHeaderBlock(std::string(160, 'x'), 0, &block));
    EXPECT_EQ(block[0], 0xAA);
    EXPECT_TRUE(ComposeHeaderBlock(std::string(159, 'x'), 0, &block));
}

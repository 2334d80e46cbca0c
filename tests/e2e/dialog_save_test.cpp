// Saving from the dialog: the file on disk, its new name, the fields afterwards, and every
// refusal as the user sees it.
#include <gtest/gtest.h>

#include <cstring>

#include "e2e_files.h"
#include "messages.h"

namespace e2e {
namespace {

constexpr int kPointName = 1000;
constexpr int kSave = 1002;
constexpr int kAntHeight = 1003;
constexpr int kPath = 1005;

std::int32_t MillimetreField(const rawgen::Bytes& file) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | static_cast<std::uint8_t>(file.at(130 + static_cast<size_t>(i)));
    }
    return static_cast<std::int32_t>(v);
}

// The header text (up to its first zero byte or byte 130) of a file.
std::string HeaderText(const rawgen::Bytes& file) {
    const std::string head = file.substr(0, 130);
    return head.substr(0, head.find('\0'));
}

class SaveTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        original_ = StandardRawFile("1.5");
        path_ = MakeFile(u"ABCD0861.RVX", original_);
    }

    // Expects the file to be exactly as it was, under its old name.
    void ExpectUntouched() {
        EXPECT_TRUE(Exists(u"ABCD0861.RVX"));
        EXPECT_TRUE(Read(u"ABCD0861.RVX") == original_) << "the file changed";
    }

    rawgen::Bytes original_;
    std::wstring path_;
};

TEST_F(SaveTest, NewNameAndHeightRewriteTheHeaderRenameAndRefresh) {
    Program rvx(Quoted(path_));
    rvx.SetText(kPointName, L"EFGH");
    rvx.SetText(kAntHeight, L"1.6");
    rvx.Click(kSave);
    rvx.ExpectNoPopup();

    EXPECT_FALSE(Exists(u"ABCD0861.RVX"));
    ASSERT_TRUE(Exists(u"EFGH0861.RVX"));
    const rawgen::Bytes saved = Read(u"EFGH0861.RVX");
    EXPECT_EQ(HeaderText(saved),
              "VORTALIX COLLECTED DATA FILE\r\nver 2.0\r\nReceiverID:A1B2C3\r\n"
              "Date:2026-03-27\r\nModel:VX-10 GNSS\r\nAntHigh:1.600\r\n");
    EXPECT_EQ(MillimetreField(saved), 1600);
    ASSERT_EQ(saved.size(), original_.size());
    EXPECT_TRUE(saved.substr(160) == original_.substr(160)) << "receiver data changed";
    EXPECT_EQ(rvx.Text(kPath), PathOf(u"EFGH0861.RVX"));
    EXPECT_EQ(rvx.Text(kPointName), L"EFGH");
    EXPECT_EQ(rvx.Text(kAntHeight), L"1.600");

    // The second save works on the file under its new name.
    rvx.SetText(kPointName, L"LONGNAME12");
    rvx.SetText(kAntHeight, L"-1.5");
    rvx.Click(kSave);
    rvx.ExpectNoPopup();
    ASSERT_TRUE(Exists(u"LONGNAME0861.RVX"));
    EXPECT_FALSE(Exists(u"EFGH0861.RVX"));
    const rawgen::Bytes second = Read(u"LONGNAME0861.RVX");
    EXPECT_EQ(MillimetreField(second), -1500);
    EXPECT_TRUE(second.substr(160) == original_.substr(160)) << "receiver data changed";
    EXPECT_EQ(rvx.Text(kPointName), L"LONGNAME");
    EXPECT_EQ(rvx.Text(kAntHeight), L"-1.500");
}

TEST_F(SaveTest, UnchangedFieldsWriteNothingAndSayNothing) {
    Program rvx(Quoted(path_));
    rvx.Click(kSave);
    rvx.ExpectNoPopup();
    ExpectUntouched();
}

// Each refusal shows its message with the error icon, changes nothing on disk, and shows again
// when save is pressed again with the same fields.
TEST_F(SaveTest, RefusalsChangeNothingAndRepeat) {
    MakeFile(u"TAKE0861.RVX", original_);
    struct Case {
        std::wstring pointName;
        std::wstring height;
        std::wstring message;
    };
    const Case cases[] = {
        {L"ABCD", L"abc", W(rawfile::kMsgHeightNotNumber)},
        {L"ABCD", L"1,5", W(rawfile::kMsgHeightNotNumber)},
        {L"ABCD", L"", W(rawfile::kMsgHeightNotNumber)},
        {L"ABCD", L"1e10", W(rawfile::kMsgHeightOutOfRange)},
        {L"A/B", L"1.6", W(rawfile::kMsgBadPointName)},
        {L"A:B", L"1.500", W(rawfile::kMsgBadPointName)},
        {L"TAKE", L"1.6", W(rawfile::kMsgTargetExists) + L"\n" + PathOf(u"TAKE0861.RVX")},
    };
    Program rvx(Quoted(path_));
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.pointName + L" / " + c.height));
        rvx.SetText(kPointName, c.pointName);
        rvx.SetText(kAntHeight, c.height);
        for (int press = 0; press < 2; ++press) {
            rvx.Click(kSave);
            const Popup box = rvx.TakePopup();
            EXPECT_EQ(box.text, c.message);
            EXPECT_TRUE(box.hasIcon);
        }
        ExpectUntouched();
        EXPECT_TRUE(Read(u"TAKE0861.RVX") == original_) << "the other file changed";
    }
    // Back to valid fields, the save goes ahead.
    rvx.SetText(kPointName, L"ABCD");
    rvx.SetText(kAntHeight, L"1.25");
    rvx.Click(kSave);
    rvx.ExpectNoPopup();
    EXPECT_EQ(MillimetreField(Read(u"ABCD0861.RVX")), 1250);
}

TEST_F(SaveTest, HeaderThatWouldNotFitIsRefused) {
    std::vector<std::string> lines = rawgen::StandardLines();
    lines[4] = "Model:" + std::string(110, 'M');
    const rawgen::Bytes bytes = rawgen::MakeHeader(lines) + rawgen::ReceiverData(500, 3);
    MakeFile(u"WIDE0861.RVX", bytes);
    Program rvx(Quoted(PathOf(u"WIDE0861.RVX")));
    rvx.SetText(kAntHeight, L"2");
    rvx.Click(kSave);
    const Popup box = rvx.TakePopup();
    EXPECT_EQ(box.text, W(rawfile::kMsgHeaderTooLong));
    EXPECT_TRUE(box.hasIcon);
    EXPECT_TRUE(Read(u"WIDE0861.RVX") == bytes) << "the file changed";
}

TEST_F(SaveTest, FileHeldOpenElsewhereIsReportedAndLeftAlone) {
    Program rvx(Quoted(path_));
    const HANDLE held = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    rvx.SetText(kPointName, L"EFGH");
    rvx.SetText(kAntHeight, L"1.7");
    rvx.Click(kSave);
    const Popup box = rvx.TakePopup();
    CloseHandle(held);
    EXPECT_NE(box.text.find(path_), std::wstring::npos) << Utf8(box.text);
    EXPECT_TRUE(box.hasIcon);
    ExpectUntouched();
    EXPECT_FALSE(Exists(u"EFGH0861.RVX"));
    // The fields are not refreshed; a changed height saves once the file is free.
    EXPECT_EQ(rvx.Text(kAntHeight), L"1.7");
    EXPECT_EQ(rvx.Text(kPath), path_);
    rvx.SetText(kAntHeight, L"1.8");
    rvx.Click(kSave);
    rvx.ExpectNoPopup();
    ASSERT_TRUE(Exists(u"EFGH0861.RVX"));
    EXPECT_EQ(MillimetreField(Read(u"EFGH0861.RVX")), 1800);
}

// File names and point names beyond any code page: the file opens, and the save renames it.
TEST_F(SaveTest, ChineseNamesLoadAndSave) {
    const std::wstring path = MakeFile(u"测站0861.RVX", original_);
    Program rvx(Quoted(path));
    EXPECT_EQ(rvx.Text(kPointName), L"测站");
    EXPECT_EQ(rvx.Text(kAntHeight), L"1.500");
    rvx.SetText(kPointName, L"新点");
    rvx.Click(kSave);
    rvx.ExpectNoPopup();
    EXPECT_FALSE(Exists(u"测站0861.RVX"));
    ASSERT_TRUE(Exists(u"新点0861.RVX"));
    const rawgen::Bytes saved = Read(u"新点0861.RVX");
    EXPECT_EQ(MillimetreField(saved), 1500);
    EXPECT_TRUE(saved.substr(160) == original_.substr(160));
    EXPECT_EQ(rvx.Text(kPath), PathOf(u"新点0861.RVX"));
}

}  // namespace
}  // namespace e2e

// rvxedit's command line: values given as "--name value" or "--name=value", and "--" ending the
// options.
#include <gtest/gtest.h>

#include "cli_texts.h"
#include "options.h"

using namespace rvxedit;

namespace {

ParseStatus Parse(std::vector<std::u16string> texts, Options* options, std::u16string* error) {
    std::vector<Arg> args;
    for (const auto& text : texts) {
        args.push_back(Arg{text, true});
    }
    return ParseArgs(args, TextsFor(texts::Language::kEnglish), options, error);
}

std::vector<std::u16string> Files(const Options& options) {
    std::vector<std::u16string> files;
    for (const Arg& file : options.files) {
        files.push_back(file.text);
    }
    return files;
}

}  // namespace

TEST(Options, ValuesAndTheEndOfOptions) {
    Options o;
    std::u16string error;
    ASSERT_EQ(
        Parse({u"--lang=zh", u"set", u"--point=A=B", u"--height", u"-1.5", u"-", u"f"}, &o, &error),
        ParseStatus::kRun);
    EXPECT_EQ(o.command, Command::kSet);
    EXPECT_EQ(o.language, u"zh");
    EXPECT_EQ(o.pointName, u"A=B");
    EXPECT_EQ(o.height, u"-1.5");
    EXPECT_EQ(Files(o), (std::vector<std::u16string>{u"-", u"f"}));

    // After "--" everything is a file, even "--" itself and what looks like an option.
    o = Options();
    ASSERT_EQ(Parse({u"show", u"-r", u"--", u"--json", u"--", u"-h"}, &o, &error),
              ParseStatus::kRun);
    EXPECT_TRUE(o.recursive);
    EXPECT_FALSE(o.json);
    EXPECT_EQ(Files(o), (std::vector<std::u16string>{u"--json", u"--", u"-h"}));

    // An empty value is a value: "--height=" is a height no file can take.
    for (const auto& args :
         std::vector<std::vector<std::u16string>>{{u"set", u"--height=", u"f"},
                                                  {u"set", u"--point=", u"--point", u"B", u"f"},
                                                  {u"show", u"--json=1", u"f"},
                                                  {u"set", u"--", u"--point", u"P", u"f"}}) {
        error.clear();
        EXPECT_EQ(Parse(args, &o, &error), ParseStatus::kUsageError) << error.size();
        EXPECT_FALSE(error.empty());
    }
}

// Help is made from the command table; its option lines line up by display columns.
TEST(Options, HelpListsEachCommandWithItsOptions) {
    const std::u16string en = HelpText(TextsFor(texts::Language::kEnglish));
    const std::u16string zh = HelpText(TextsFor(texts::Language::kChinese));
    EXPECT_NE(en.find(u"\n  rvxedit set [-r] [--point NAME] [--height METRES] [--dry-run] FILE...\n"
                      u"  rvxedit apply [-r] [--dry-run] LOG.csv\n"),
              std::u16string::npos);
    EXPECT_NE(zh.find(u"\n  --point 点名     新的点名（最多取8个字符）\n"
                      u"  --height 米      新的天线高，单位为米\n"),
              std::u16string::npos);
    EXPECT_NE(en.find(u"\n  --json   one JSON array"), std::u16string::npos);
}

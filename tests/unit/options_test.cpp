// rvxedit's command line: values given as "--name value" or "--name=value", "--" ending the
// options, and the help made from the command table.
#include <gtest/gtest.h>

#include <tuple>

#include "cli_texts.h"
#include "options.h"

using namespace rvxedit;

namespace {

// What the arguments come to: the files joined by "|", or the usage error.
std::u16string Outcome(const std::vector<std::u16string>& texts, Options* o) {
    std::vector<Arg> args;
    for (const auto& text : texts) {
        args.push_back(Arg{text, true});
    }
    std::u16string error;
    *o = Options();
    if (ParseArgs(args, TextsFor(texts::Language::kEnglish), o, &error) != ParseStatus::kRun) {
        return error;
    }
    std::u16string files;
    for (const Arg& file : o->files) {
        files += (files.empty() ? u"" : u"|") + file.text;
    }
    return files;
}

}  // namespace

TEST(Options, ValuesAndTheEndOfOptions) {
    Options o;
    EXPECT_EQ(Outcome({u"--lang=zh", u"set", u"--point=A=B", u"--height", u"-1.5", u"-", u"f"}, &o),
              u"-|f");
    EXPECT_EQ(std::make_tuple(o.command, *o.language, *o.pointName, o.heights.at(0)),
              std::make_tuple(Command::kSet, u"zh", u"A=B", u"-1.5"));
    // After "--" everything is a file, even "--" itself and what looks like an option.
    EXPECT_EQ(Outcome({u"show", u"-r", u"--", u"--json", u"--", u"-h"}, &o), u"--json|--|-h");
    EXPECT_TRUE(o.recursive && !o.json);
    const std::pair<std::vector<std::u16string>, std::u16string> errors[] = {
        {{u"set", u"--height=", u"f"},
         u"the antenna height is not a valid number; give it in metres"},
        {{u"set", u"--point=", u"--point", u"B", u"f"}, u"--point is given more than once"},
        {{u"show", u"--json=1", u"f"}, u"unknown option \"--json=1\" for show"},
        {{u"set", u"--", u"--point", u"P", u"f"}, u"set needs --point or --height (or both)"},
        {{}, u"no command given"},
        {{u"frob", u"f"}, u"unknown command \"frob\""},
        {{u"show"}, u"no files given"},
        {{u"set", u"f", u"--point"}, u"--point needs a value"},
        {{u"--lang", u"fr", u"show", u"f"}, u"--lang takes en or zh"},
        {{u"apply", u"f", u"f"}, u"apply takes exactly one log file"},
        {{u"set", u"--height=1.6", u"--height", u"1.6031", u"f"},
         u"the readings 1.6, 1.6031 disagree by more than 0.003 m"},
        {{u"set", u"--radius=0.1", u"--height=1", u"f"}, u"--radius and --offset go with --slant"},
        {{u"apply", u"--encoding=koi8", u"f"}, u"unknown encoding \"koi8\""},
    };
    for (const auto& [args, error] : errors) {
        EXPECT_EQ(Outcome(args, &o), error);
    }
}

// Help is made from the command table; its option lines line up by display columns.
TEST(Options, HelpListsEachCommandWithItsOptions) {
    const std::u16string en = HelpText(TextsFor(texts::Language::kEnglish));
    const std::u16string zh = HelpText(TextsFor(texts::Language::kChinese));
    EXPECT_NE(
        en.find(
            u"\n  rvxedit set [-r] [--point NAME] [--height METRES] [--slant METRES] "
            u"[--record RECORD.csv] [--dry-run] FILE...\n"
            u"  rvxedit apply [-r] [--encoding NAME] [--tolerance METRES] "
            u"[--record RECORD.csv] [--dry-run] LOG.csv\n"
            u"  rvxedit undo [-r] [--skip-changed] [--record RECORD.csv] [--dry-run] RECORD.csv\n"),
        std::u16string::npos);
    EXPECT_NE(zh.find(u"\n  --point 点名         新的点名（最多取8个字符）\n"
                      u"  --height 米          新的天线高，单位为米；可多次给出（取平均）\n"),
              std::u16string::npos);
    EXPECT_NE(en.find(u"\n  --json   one JSON array"), std::u16string::npos);
}

#include "cli_texts.h"

#include <cstddef>

#include "log_messages.h"
#include "numbers.h"
#include "text.h"

namespace rvxedit {

namespace {

// Each text in English and in Chinese, in the order CliTexts declares them.
struct TextPair {
    const char16_t* CliTexts::*text;
    const char16_t* english;
    const char16_t* chinese;
};

constexpr TextPair kTexts[] = {
    {&CliTexts::usage, u"Usage:", u"用法："},
    {&CliTexts::summary,
     u"Shows or corrects the point name and antenna height of raw (.RVX) files.",
     u"查看或修改RVX文件的点名与天线高。"},
    {&CliTexts::helpEnd,
     u"A rename never replaces an existing file, and nothing after byte 159 changes.\n"
     u"Exit status: 0 every file succeeded, 1 some file failed or the output could not\n"
     u"be written, 2 usage error.\n"
     u"See rvxedit(1) for the details.\n",
     u"重命名绝不覆盖已有文件，第159字节之后的内容不会改变。\n"
     u"退出状态：0 全部文件成功，1 有文件失败或无法写出输出，2 用法错误。\n"
     u"详见 rvxedit(1)。\n"},
    {&CliTexts::fileArgs, u"FILE...", u"文件..."},
    {&CliTexts::logArg, u"LOG.csv", u"记录表.csv"},
    {&CliTexts::recordArg, u"RECORD.csv", u"修改记录.csv"},
    {&CliTexts::encodingValue, u"NAME", u"编码"},
    {&CliTexts::nameValue, u"NAME", u"点名"},
    {&CliTexts::metresValue, u"METRES", u"米"},
    {&CliTexts::languageValue, u"en|zh", u"en|zh"},
    {&CliTexts::showHelp,
     u"prints each file's point name, kept tail, header values, antenna height\n"
     u"         and the millimetre field at bytes 130-133, with a warning where the two\n"
     u"         heights disagree.",
     u"显示每个文件的点名、保留尾部、文件头各项、天线高，以及第130-133字节\n"
     u"         的毫米字段；两个天线高不一致时给出警告。"},
    {&CliTexts::setHelp,
     u"rewrites the 160-byte header and renames the file, exactly as the\n"
     u"         RVXTOOL dialog saves it. A field not given keeps the file's own value;\n"
     u"         a file whose fields would not change is left alone (\"unchanged\").\n"
     u"         Every file is checked first: if any has a problem, nothing is changed;\n"
     u"         running the same command again finishes an interrupted run.",
     u"改写160字节的文件头并重命名文件，与RVXTOOL对话框的保存完全相同。\n"
     u"         未给出的项保留文件原值；各项都不变的文件不做改动（\"未更改\"）。\n"
     u"         先检查每个文件：任何一个有问题，就不做任何修改；再次运行同一命令\n"
     u"         可完成中断的运行。"},
    {&CliTexts::applyHelp,
     u"saves every file a field log names, as set does. The log is CSV; its\n"
     u"         first row names the columns: \"file\" (required; relative to the log's\n"
     u"         folder), \"point\", readings \"height...\" (averaged), or slant readings\n"
     u"         \"slant...\" with \"radius\" and \"offset\"; other columns are ignored, and a\n"
     u"         blank cell keeps the file's own value. UTF-8, UTF-16 (with a byte-order\n"
     u"         mark) or the legacy code page; commas, semicolons or tabs (then decimal\n"
     u"         commas too). Every row is checked first: if any row has a problem,\n"
     u"         nothing is changed. Running the log again finishes an interrupted run\n"
     u"         (files an earlier run saved are reported as such).",
     u"按外业记录表逐个保存其中的文件，与set相同。记录表为CSV格式，第一行为\n"
     u"         列名：\"file\"（必需，相对于记录表所在文件夹）、\"point\"、天线高读数\n"
     u"         \"height...\"（取平均），或斜高读数\"slant...\"及\"radius\"和\"offset\"；\n"
     u"         其他列不读，空单元格保留文件原值。编码可为UTF-8、UTF-16（带字节顺序\n"
     u"         标记）或系统代码页；分隔符可为逗号、分号或制表符（此时可用小数逗号）。\n"
     u"         先检查每一行：任何一行有问题，就不做任何修改。再次运行同一记录表可\n"
     u"         完成中断的运行。"},
    {&CliTexts::undoHelp,
     u"puts back every file a change record names, newest change first: its\n"
     u"         old 160 header bytes and its old name, byte for byte. A file must\n"
     u"         still hold the recorded new bytes under the recorded new name; every\n"
     u"         change is checked first: if any has a problem, nothing is changed.",
     u"按修改记录逐个恢复文件，最新的修改最先恢复：原来的160字节文件头和原文件名，\n"
     u"         逐字节恢复。文件须仍是记录中的新文件名和新文件头；先检查每一行：任何\n"
     u"         一行有问题，就不做任何修改。"},
    {&CliTexts::jsonHelp, u"one JSON array with an object for each file",
     u"输出一个JSON数组，每个文件一个对象"},
    {&CliTexts::pointHelp, u"the new point name (at most 8 characters are used)",
     u"新的点名（最多取8个字符）"},
    {&CliTexts::heightHelp, u"the new antenna height in metres; again for more readings",
     u"新的天线高，单位为米；可多次给出（取平均）"},
    {&CliTexts::slantHelp, u"a slant reading to the antenna's rim; again for more",
     u"量至天线边缘的斜高读数；可多次给出"},
    {&CliTexts::radiusHelp, u"the antenna's radius, for slant readings", u"天线半径，用于斜高"},
    {&CliTexts::offsetHelp, u"the reference point above the slant's end (default 0)",
     u"天线参考点高出斜高量测点的高度（默认0）"},
    {&CliTexts::toleranceHelp, u"the most readings may disagree by (default 0.003)",
     u"各读数之间允许的最大差值（默认0.003）"},
    {&CliTexts::encodingHelp, u"utf-8, utf-16, utf-16be, gb18030, windows-1252",
     u"utf-8、utf-16、utf-16be、gb18030、windows-1252"},
    {&CliTexts::recordHelp, u"append a row per file saved to this file, before saving",
     u"每保存一个文件之前，先在此CSV文件末尾追加一行记录"},
    {&CliTexts::setDryRunHelp, u"print what would change and touch nothing",
     u"只显示将做的修改，不改动任何文件"},
    {&CliTexts::applyDryRunHelp, u"check the log, print what would change and touch nothing",
     u"检查记录表并显示将做的修改，不改动任何文件"},
    {&CliTexts::undoDryRunHelp, u"check, print what would change and touch nothing",
     u"检查修改记录并显示将做的修改，不改动任何文件"},
    {&CliTexts::recursiveHelp, u"a folder stands for every .RVX file under it, at any depth",
     u"文件夹代表其下任意层中的全部.RVX文件"},
    {&CliTexts::languageHelp, u"the language of messages (default: from the locale)",
     u"提示信息的语言（默认按区域设置）"},
    {&CliTexts::tryHelp, u"Try 'rvxedit --help' for more information.",
     u"用“rvxedit --help”查看更多信息。"},
    {&CliTexts::noCommand, u"no command given", u"未给出命令"},
    {&CliTexts::unknownCommand, u"unknown command \"%1\"", u"未知命令“%1”"},
    {&CliTexts::unknownOption, u"unknown option \"%1\" for %2", u"%2 没有选项“%1”"},
    {&CliTexts::needsValue, u"%1 needs a value", u"%1 需要一个值"},
    {&CliTexts::valueNotUtf8, u"the value of %1 is not valid UTF-8 text",
     u"%1 的值不是有效的UTF-8文本"},
    {&CliTexts::givenTwice, u"%1 is given more than once", u"%1 给出了不止一次"},
    {&CliTexts::badLanguage, u"--lang takes en or zh", u"--lang 只能是 en 或 zh"},
    {&CliTexts::noFiles, u"no files given", u"未给出文件"},
    {&CliTexts::setNeedsField, u"set needs --point or --height (or both)",
     u"set 需要 --point 或 --height（或两者）"},
    {&CliTexts::applyOneLog, u"apply takes exactly one log file", u"apply 只接受一个记录表文件"},
    {&CliTexts::undoOneRecord, u"undo takes exactly one change record",
     u"undo 只接受一个修改记录文件"},
    {&CliTexts::badEncoding, u"unknown encoding \"%1\"", u"未知编码“%1”"},
    {&CliTexts::badTolerance, u"--tolerance takes a number of metres, 0 or more",
     u"--tolerance 须为不小于0的米数"},
    {&CliTexts::radiusNeedsSlant, u"--radius and --offset go with --slant",
     u"--radius 和 --offset 须与 --slant 一起使用"},
    {&CliTexts::internalError, u"out of memory or internal error; stopped",
     u"内存不足或内部错误，已停止"},
    {&CliTexts::outputFailed, u"cannot write standard output: %1", u"无法写入标准输出：%1"},
    {&CliTexts::progress, u"%1 of %2 files", u"%1/%2 个文件"},
    {&CliTexts::nameNotUtf8, u"the name is not valid UTF-8 text", u"名称不是有效的UTF-8文本"},
    {&CliTexts::folderWithoutRecursive,
     u"this is a folder; give -r to work on the raw files under it",
     u"这是文件夹；加 -r 可处理其下的RVX文件"},
    {&CliTexts::folderWithoutRawFiles, u"no raw files (.RVX) under this folder",
     u"此文件夹下没有RVX文件"},
    {&CliTexts::folderUnreadable, u"cannot read the folder: %1", u"无法读取文件夹：%1"},
    {&CliTexts::showLine,
     u"point %1, tail %2, version %3, serial %4, date %5, model %6, height %7 m, field %8",
     u"点名 %1，尾部 %2，版本 %3，SN号 %4，日期 %5，型号 %6，天线高 %7 米，毫米字段 %8"},
    {&CliTexts::fieldMillimetres, u"%1 mm", u"%1 毫米"},
    {&CliTexts::fieldNone, u"none (the file is shorter than %1 bytes)", u"无（文件短于%1字节）"},
    {&CliTexts::heightsDisagree, u"; warning: the height text and the millimetre field disagree",
     u"；警告：天线高文本与毫米字段不一致"},
    {&CliTexts::unchanged, u"unchanged", u"未更改"},
    {&CliTexts::wouldSave, u"would save, %1", u"将保存，%1"},
    {&CliTexts::saved, u"saved, %1", u"已保存，%1"},
    {&CliTexts::change, u"name %1 -> %2, height %3 -> %4", u"文件名 %1 -> %2，天线高 %3 -> %4"},
    {&CliTexts::alreadySaved,
     u"not found; %1 already holds the point name and height asked for (saved by an earlier run)",
     u"未找到；%1 已带有所要求的点名与天线高（已由之前的运行保存）"},
    {&CliTexts::openForWritingFailed, u"cannot open the file for writing: %1; nothing was changed",
     u"无法打开文件写入：%1；未做任何修改"},
    {&CliTexts::readForWritingFailed,
     u"cannot read the file before writing: %1; nothing was changed",
     u"写入前无法读取文件：%1；未做任何修改"},
    {&CliTexts::writeFailed,
     u"cannot write the header: %1; the header may be partly written: save again once the cause "
     u"is mended",
     u"无法写入文件头：%1；文件头可能只写入了一部分，排除原因后请再次保存"},
    {&CliTexts::renameFailed,
     u"the new header is saved, but the rename to %1 failed: %2; the file keeps its old name",
     u"新文件头已保存，但重命名为 %1 失败：%2；文件保留原名"},
    {&CliTexts::folderFlushFailed,
     u"saved and renamed to %1, but the system could not confirm that the new name is on the "
     u"disk: %2",
     u"已保存并重命名为 %1，但系统无法确认新文件名已写入磁盘：%2"},
    {&CliTexts::folderRefusesRename,
     u"the folder does not let the file be renamed: %1; nothing was changed",
     u"文件夹不允许重命名该文件：%1；未做任何修改"},
    {&CliTexts::recordIsInput,
     u"the change record cannot be a raw file, a file being saved, the field log or the record "
     u"being undone; nothing was changed",
     u"变更记录不能是RVX文件、要保存的文件、外业记录表或要撤销的记录；未做任何修改"},
    {&CliTexts::nothingChangedFiles, u"nothing was changed; files with problems: %1",
     u"有%1个文件有问题，未做任何修改"},
    {&CliTexts::runAgain,
     u"%1 of %2 files were not saved; mend the cause and run the same command again to finish "
     u"(files already saved are reported as such)",
     u"%2个文件中有%1个未保存；排除原因后请再次运行同一命令以完成（已保存的文件会如实报告）"},
    {&CliTexts::recordFailed,
     u"cannot write the change record %1: %2; stopped before saving the files not reported above",
     u"无法写入修改记录 %1：%2；已停止，上面未列出的文件均未保存"},
    {&CliTexts::atRow, u"%1, row %2: %3", u"%1 第%2行：%3"},
    {&CliTexts::nothingChanged, u"nothing was changed; rows with problems: %1",
     u"记录表中有%1行有问题，未做任何修改"},
    {&CliTexts::recordUnreadable, u"cannot read the change record: %1", u"无法读取修改记录：%1"},
    {&CliTexts::notChangeRecord, u"not a row of a change record", u"不是修改记录的行"},
    {&CliTexts::changedSince,
     u"changed since the record was written (not the recorded new name and header)",
     u"记录之后已被修改（不是记录中的新文件名和文件头）"},
    {&CliTexts::shortHead, u"the file was shorter than 160 bytes; its old bytes cannot be put back",
     u"文件原来短于160字节，无法恢复原来的字节"},
    {&CliTexts::nothingChangedChanges, u"nothing was changed; changes with problems: %1",
     u"修改记录中有%1处修改有问题，未做任何修改"},
};
// Every text of CliTexts is in the table.
static_assert(sizeof kTexts / sizeof kTexts[0] * sizeof(const char16_t*) ==
              sizeof(CliTexts) - offsetof(CliTexts, usage));

CliTexts Make(texts::Language language) {
    CliTexts t{};
    t.language = language;
    for (const TextPair& pair : kTexts) {
        t.*pair.text = language == texts::Language::kChinese ? pair.chinese : pair.english;
    }
    return t;
}

}  // namespace

const CliTexts& TextsFor(texts::Language language) {
    static const CliTexts english = Make(texts::Language::kEnglish);
    static const CliTexts chinese = Make(texts::Language::kChinese);
    return language == texts::Language::kChinese ? chinese : english;
}

std::u16string LoadFailureText(rawfile::LoadError error, const std::u16string& readReason,
                               const CliTexts& t) {
    return texts::LoadFailureText(error, readReason, t.language);
}

std::u16string SaveFailureText(const rawfile::SaveOutcome& outcome, const std::u16string& target,
                               const CliTexts& t) {
    const std::u16string& reason = outcome.error.reason;
    switch (outcome.status) {
        case rawfile::SaveStatus::kWriteFailed:
            switch (outcome.error.op) {
                case rawfile::FileOp::kOpen:
                    return Fill(t.openForWritingFailed, {reason});
                case rawfile::FileOp::kRead:
                    return Fill(t.readForWritingFailed, {reason});
                case rawfile::FileOp::kFolder:
                    return Fill(t.folderRefusesRename, {reason});
                default:
                    return Fill(t.writeFailed, {reason});
            }
        case rawfile::SaveStatus::kRenameFailed:
            return Fill(t.renameFailed, {target, reason});
        case rawfile::SaveStatus::kFolderFlushFailed:
            return Fill(t.folderFlushFailed, {target, reason});
        case rawfile::SaveStatus::kNotLoaded:
            return texts::ImportFirst(t.language);
        default:
            return texts::Refusal(outcome.refusal, target, t.language);
    }
}

}  // namespace rvxedit

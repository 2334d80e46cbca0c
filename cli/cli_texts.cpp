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
     u"         blank cell keeps the file's own value. UTF-8, UTF-16, or a legacy code\n"
     u"         page its bytes show for certain (else --encoding names it; the first\n"
     u"         line says which it was read as); commas, semicolons or tabs (then\n"
     u"         decimal commas too). Every row is checked first: if any row has a\n"
     u"         problem, nothing is changed. Running the log again finishes an\n"
     u"         interrupted run (files an earlier run saved are reported as such).",
     u"按外业记录表逐个保存其中的文件，与set相同。记录表为CSV格式，第一行为\n"
     u"         列名：\"file\"（必需，相对于记录表所在文件夹）、\"point\"、天线高读数\n"
     u"         \"height...\"（取平均），或斜高读数\"slant...\"及\"radius\"和\"offset\"；\n"
     u"         其他列不读，空单元格保留文件原值。编码可为UTF-8、UTF-16，或可由内容\n"
     u"         确定的旧式代码页（否则用--encoding指明；第一行报告所用编码）；\n"
     u"         分隔符可为逗号、分号或制表符（此时可用小数逗号）。\n"
     u"         先检查每一行：任何一行有问题，就不做任何修改。再次运行同一记录表可\n"
     u"         完成中断的运行。"},
    {&CliTexts::undoHelp,
     u"puts back every file a change record names: its old 160 header bytes\n"
     u"         and its old name, byte for byte. The record is read as a history: a\n"
     u"         file's rows, followed from name to name, are undone newest first, each\n"
     u"         against the state the newer row left, so rows a rerun added after a\n"
     u"         run was cut short undo too. A file must stand as its history left it;\n"
     u"         every file is checked first, and every one that blocks the undo is\n"
     u"         listed: if any does, nothing is changed.",
     u"按修改记录逐个恢复文件：原来的160字节文件头和原文件名，逐字节恢复。修改记录\n"
     u"         按历史读取：同一文件的各行按文件名前后相接，从最新的一行起逐行撤销，\n"
     u"         每行都对照较新一行留下的状态，因此中断后重新运行所加的行也能撤销。\n"
     u"         文件须仍是其历史留下的状态；先检查每个文件，并列出所有妨碍撤销的\n"
     u"         文件：只要有一个，就不做任何修改。"},
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
    {&CliTexts::maxHeightHelp,
     u"take antenna heights up to this as metres (default: below 100; more is likely mm)",
     u"不超过此值的天线高按米接受（默认须小于100；更大的多半是毫米）"},
    {&CliTexts::encodingHelp,
     u"the log's encoding without a byte-order mark: gbk, windows-1252,\n"
     u"                       system (the system's own), utf-8, utf-16 or utf-16be",
     u"无字节顺序标记时记录表的编码：gbk、windows-1252、\n"
     u"                       system（系统自身的编码）、utf-8、utf-16 或 utf-16be"},
    {&CliTexts::recordHelp,
     u"append a row per file saved to this change record (new, empty or a record), before saving",
     u"每保存一个文件之前，先在此修改记录（新文件、空文件或修改记录）末尾追加一行"},
    {&CliTexts::setDryRunHelp, u"print what would change and touch nothing",
     u"只显示将做的修改，不改动任何文件"},
    {&CliTexts::applyDryRunHelp, u"check the log, print what would change and touch nothing",
     u"检查记录表并显示将做的修改，不改动任何文件"},
    {&CliTexts::undoDryRunHelp, u"check, print what would change and touch nothing",
     u"检查修改记录并显示将做的修改，不改动任何文件"},
    {&CliTexts::skipChangedHelp, u"put back every other file when some are blocked; exit 1",
     u"有文件无法恢复时仍恢复其余文件；退出状态为1"},
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
    {&CliTexts::badMaxHeight, u"--max-height takes a number of metres, 0 or more",
     u"--max-height 须为不小于0的米数"},
    {&CliTexts::allowWithMaxHeight, u"%1 (if it is metres, allow it with --max-height METRES)",
     u"%1（若确为米，请用 --max-height 米数 放行）"},
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
    {&CliTexts::renameHalf,
     u"the new header is saved, but the rename to %1 is not finished: %2; the file has both "
     u"names, the old and the new; run the same command again to finish",
     u"新文件头已保存，但重命名为 %1 未完成：%2；文件同时有原名和新名，请再次运行同一命令以完成"},
    {&CliTexts::folderFlushFailed,
     u"saved and renamed to %1, but the system could not confirm that the new name is on the "
     u"disk: %2",
     u"已保存并重命名为 %1，但系统无法确认新文件名已写入磁盘：%2"},
    {&CliTexts::folderRefusesRename,
     u"the folder does not let the file be renamed: %1; nothing was changed",
     u"文件夹不允许重命名该文件：%1；未做任何修改"},
    {&CliTexts::readFailed, u"cannot read the raw file: %1", u"无法读取RVX文件：%1"},
    {&CliTexts::nothingChangedFiles, u"nothing was changed; files with problems: %1",
     u"有%1个文件有问题，未做任何修改"},
    {&CliTexts::runAgain,
     u"%1 of %2 files were not saved; mend the cause and run the same command again to finish "
     u"(files already saved are reported as such)",
     u"%2个文件中有%1个未保存；排除原因后请再次运行同一命令以完成（已保存的文件会如实报告）"},
    {&CliTexts::recordFailed,
     u"the change record %1 could not be written; stopped before saving the files not reported "
     u"above",
     u"无法写入修改记录 %1；已停止，上面未列出的文件均未保存"},
    {&CliTexts::atRow, u"%1, row %2: %3", u"%1 第%2行：%3"},
    {&CliTexts::markDisagreesHint, u"; leave out --encoding to read it by its mark",
     u"；去掉 --encoding 即按字节顺序标记读取"},
    {&CliTexts::encodingUnsureHint,
     u"; name it with --encoding: gbk, windows-1252, system, utf-8, utf-16 or utf-16be",
     u"；请用 --encoding 指明：gbk、windows-1252、system、utf-8、utf-16 或 utf-16be"},
    {&CliTexts::nothingChanged, u"nothing was changed; rows with problems: %1",
     u"记录表中有%1行有问题，未做任何修改"},
    {&CliTexts::recordUnreadable, u"cannot read the change record: %1", u"无法读取修改记录：%1"},
    {&CliTexts::notChangeRecord, u"not a row of a change record", u"不是修改记录的行"},
    {&CliTexts::recordEmpty, u"the change record holds no changes; nothing to undo",
     u"修改记录中没有任何修改，无需撤销"},
    {&CliTexts::changedSince,
     u"changed since the record was written: its header is not one the record gives it (it "
     u"now has height %1, the record %2)",
     u"记录之后已被修改：文件头不是记录中的任何一个（现在天线高为 %1，记录中为 %2）"},
    {&CliTexts::shortHead, u"the file was shorter than 160 bytes; its old bytes cannot be put back",
     u"文件原来短于160字节，无法恢复原来的字节"},
    {&CliTexts::badOldHead,
     u"the old header the record gives would not load as a raw file header (%1); nothing of it "
     u"is put back",
     u"记录中的原文件头无法作为RVX文件头读取（%1），不予恢复"},
    {&CliTexts::undoMissing, u"not found, nor under any other name the record gives it",
     u"未找到，记录中的其他文件名下也没有"},
    {&CliTexts::undoRenamed,
     u"not found under any name the record gives it; %1, which the record does not name, holds "
     u"its recorded header: it may have been renamed since",
     u"记录中的文件名下均未找到；记录未提及的 %1 带有其记录中的文件头：可能在记录之后被重命名"},
    {&CliTexts::nothingChangedChanges,
     u"nothing was changed; files with problems: %1 (--skip-changed puts back the others)",
     u"有%1个文件有问题，未做任何修改（加 --skip-changed 可恢复其余文件）"},
    {&CliTexts::skipped, u"%1 of %2 files were not put back: their problems are listed above",
     u"%2个文件中有%1个未恢复，原因见上"},
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

std::u16string SaveFailureText(const rawfile::RowOutcome& outcome, const std::u16string& target,
                               const CliTexts& t) {
    const std::u16string& reason = outcome.Error().reason;
    switch (outcome.status) {
        case rawfile::SaveStatus::kWriteFailed:
            switch (outcome.Error().op) {
                case rawfile::FileOp::kOpen:
                    return Fill(t.openForWritingFailed, {reason});
                case rawfile::FileOp::kRead:
                    return Fill(t.readForWritingFailed, {reason});
                case rawfile::FileOp::kFolder:
                    return Fill(t.folderRefusesRename, {reason});
                default:
                    return Fill(t.writeFailed, {reason});
            }
        case rawfile::SaveStatus::kJournalFailed:
            return texts::RecordWriteFailed(reason, t.language);
        case rawfile::SaveStatus::kRenameFailed:
            return Fill(
                outcome.Error().op == rawfile::FileOp::kRenameHalf ? t.renameHalf : t.renameFailed,
                {target, reason});
        case rawfile::SaveStatus::kFolderFlushFailed:
            return Fill(t.folderFlushFailed, {target, reason});
        case rawfile::SaveStatus::kNotLoaded:
            return texts::ImportFirst(t.language);
        default:
            return texts::Refusal(outcome.refusal, target, t.language);
    }
}

}  // namespace rvxedit

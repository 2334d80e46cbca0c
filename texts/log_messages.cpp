#include "log_messages.h"

#include <algorithm>
#include <cstdlib>

#include "numbers.h"
#include "paths.h"
#include "text.h"

namespace texts {

namespace {

std::u16string Pick(Language language, const char16_t* chinese, const char16_t* english) {
    return language == Language::kChinese ? chinese : english;
}

std::u16string Number(std::size_t n) {
    return rawfile::WholeNumberText(static_cast<long long>(n));
}

// A tolerance in metres as given (it is taken to the micrometre): at least three decimals.
std::u16string ToleranceText(double metres) {
    std::string text = rawfile::FormatFixed(metres, 6);
    while (text.size() > 1 && text.back() == '0' && text[text.size() - 4] != '.') {
        text.pop_back();
    }
    return rawfile::BytesToText(text);
}

// A character as a message names it: in quotes, or by its code when it shows as nothing.
std::u16string CharacterText(char32_t c, Language language) {
    if (c < 0x20 || c == 0x7F) {
        static const char kHex[] = "0123456789ABCDEF";
        std::u16string code = u"U+00";
        code.push_back(static_cast<char16_t>(kHex[(c >> 4) & 0xF]));
        code.push_back(static_cast<char16_t>(kHex[c & 0xF]));
        return code;
    }
    const std::u16string character(1, static_cast<char16_t>(c));
    return Pick(language, u"“", u"\"") + character + Pick(language, u"”", u"\"");
}

}  // namespace

std::u16string RowName(std::size_t row, Language language) {
    return Fill(Pick(language, u"第%1行", u"row %1"), {Number(row)});
}

std::u16string LogProblemText(const rawfile::FieldLog& log, Language language) {
    switch (log.problem) {
        case rawfile::LogProblem::kNone:
            return u"";
        case rawfile::LogProblem::kTooLarge:
            return Pick(language, u"记录表大于64 MiB", u"the log is larger than 64 MiB");
        case rawfile::LogProblem::kUnreadable:
            return Fill(Pick(language, u"无法读取记录表：%1", u"cannot read the log: %1"),
                        {log.detail});
        case rawfile::LogProblem::kNotText:
        case rawfile::LogProblem::kControlCharacter:
        case rawfile::LogProblem::kMarkDisagrees:
        case rawfile::LogProblem::kEncodingUnsure:
            return LogEncodingProblem(log, language);
        case rawfile::LogProblem::kUnclosedQuote:
            return Pick(language, u"引号括起的单元格没有结束引号",
                        u"a quoted cell is never closed");
        case rawfile::LogProblem::kStrayQuote:
            return Pick(language, u"不以引号开头的单元格中含有引号",
                        u"a quote inside a cell that does not begin with one");
        case rawfile::LogProblem::kTextAfterQuote:
            return Pick(language, u"单元格的结束引号之后还有文字",
                        u"text after the closing quote of a cell");
        case rawfile::LogProblem::kEmpty:
            return Pick(language, u"记录表为空；第一行须为列名",
                        u"the log is empty; its first row must name the columns");
        case rawfile::LogProblem::kNoRows:
            return Pick(language, u"记录表中没有数据行", u"the log has no rows");
        case rawfile::LogProblem::kColumnTwice:
            return Fill(Pick(language, u"第一行的“%1”列出现了不止一次",
                             u"the first row names the \"%1\" column more than once"),
                        {log.detail});
        case rawfile::LogProblem::kNoFileColumn:
            return Pick(language, u"第一行没有“file”列", u"the first row names no \"file\" column");
    }
    return u"";
}

std::u16string LogProblem(const rawfile::FieldLog& log, Language language) {
    const std::u16string where =
        log.problemRow == 0 ? u""
                            : RowName(log.problemRow, language) + Pick(language, u"：", u": ");
    return Sentence(where + LogProblemText(log, language), language);
}

std::u16string LogEncoding(const rawfile::FieldLog& log, Language language) {
    return Fill(log.encodingFromBom ? Pick(language, u"按%1读取（依据其字节顺序标记）",
                                           u"read as %1, from its byte-order mark")
                                    : Pick(language, u"按%1读取", u"read as %1"),
                {log.encoding});
}

std::u16string LogEncodingProblem(const rawfile::FieldLog& log, Language language) {
    switch (log.problem) {
        case rawfile::LogProblem::kNotText:
            return Fill(Pick(language, u"不是有效的%1文本", u"not valid %1 text"), {log.detail});
        case rawfile::LogProblem::kControlCharacter:
            return Fill(Pick(language, u"不是文本：含有控制字符%1",
                             u"not text: it holds the control character %1"),
                        {log.detail});
        case rawfile::LogProblem::kMarkDisagrees:
            return Fill(Pick(language, u"其字节顺序标记表明编码为%1，而所选编码为%2",
                             u"its byte-order mark says %1, but %2 was chosen"),
                        {log.encoding, log.detail});
        case rawfile::LogProblem::kEncodingUnsure:
            return Pick(language, u"不是UTF-8，且无法从其内容确定所用的编码",
                        u"not UTF-8, and its bytes do not show for certain which encoding it is "
                        u"in");
        default:
            return u"";
    }
}

std::u16string RowProblemText(const rawfile::RowProblem& problem, Language language) {
    switch (problem.kind) {
        case rawfile::LogRowProblem::kNone:
            return u"";
        case rawfile::LogRowProblem::kTooManyCells:
            return Fill(Pick(language, u"该行有%1个单元格，第一行只有%2个",
                             u"the row has %1 cells, the first row only %2"),
                        {Number(problem.cells), Number(problem.columns)});
        case rawfile::LogRowProblem::kCellNotText:
            return Pick(language, u"单元格不是文本（含NUL字符）",
                        u"a cell is not text (it holds a NUL character)");
        case rawfile::LogRowProblem::kNoFileCell:
            return Pick(language, u"未给出文件", u"no file given");
        case rawfile::LogRowProblem::kPointCharacter:
            return Fill(
                Pick(language, u"点名含有文件名不能包含的字符%1（\\ / : * ? \" < > | 及控制字符）",
                     u"the point name holds %1, which a file name cannot hold (nor any "
                     u"of \\ / : * ? \" < > | or a control character)"),
                {CharacterText(problem.character, language)});
        case rawfile::LogRowProblem::kPointDots:
            return Pick(language, u"点名不能是“.”或“..”",
                        u"the point name cannot be \".\" or \"..\"");
        case rawfile::LogRowProblem::kLikelyMillimetres: {
            rawfile::NormalisedHeight height;
            rawfile::NormaliseHeight(problem.height, &height);
            return LikelyMillimetres(height, language);
        }
        case rawfile::LogRowProblem::kReadings:
            return ReadingsProblemText(*problem.readings, language);
    }
    return u"";
}

std::u16string ReadingsProblemText(const rawfile::HeightFromReadings& r, Language language) {
    switch (r.problem) {
        case rawfile::ReadingsProblem::kNone:
        case rawfile::ReadingsProblem::kNoReadings:
            return u"";
        case rawfile::ReadingsProblem::kNotNumber:
            return Fill(Pick(language, u"读数“%1”不是有效的数字",
                             u"the reading \"%1\" is not a decimal number"),
                        {rawfile::Utf8ToUtf16(r.cell)});
        case rawfile::ReadingsProblem::kBothKinds:
            return Pick(language, u"同时有垂直读数和斜高读数；只能给出一种",
                        u"both vertical and slant readings; give one kind");
        case rawfile::ReadingsProblem::kNoRadius:
            return Pick(language, u"斜高读数需要天线半径（大于0的长度）",
                        u"slant readings need the antenna's radius, a length more than 0");
        case rawfile::ReadingsProblem::kSlantNotAboveRadius:
            return Pick(language, u"斜高不大于天线半径",
                        u"the slant is not longer than the radius");
        case rawfile::ReadingsProblem::kSpread: {
            std::u16string readings;
            for (const std::string& reading : r.spread) {
                readings += (readings.empty() ? u"" : u", ") + rawfile::Utf8ToUtf16(reading);
            }
            return Fill(Pick(language, u"读数 %1 之间的差超过 %2 米",
                             u"the readings %1 disagree by more than %2 m"),
                        {readings, ToleranceText(r.tolerance)});
        }
        case rawfile::ReadingsProblem::kOutOfRange:
            break;
    }
    if (r.cell.empty()) {
        return Refusal(rawfile::SaveRefusal::kHeightOutOfRange, u"", language);
    }
    return Fill(Pick(language, u"读数“%1”超出范围", u"the reading \"%1\" is out of range"),
                {rawfile::Utf8ToUtf16(r.cell)});
}

std::u16string LoadFailureText(rawfile::LoadError error, const std::u16string& reason,
                               Language language) {
    if (error == rawfile::LoadError::kReadFailed) {
        return Fill(Pick(language, u"无法读取RVX文件：%1", u"cannot read the raw file: %1"),
                    {reason});
    }
    const std::u16string text = LoadFailure(error, language);
    return reason.empty() || error != rawfile::LoadError::kOpenFailed
               ? text
               : text + Pick(language, u"：", u": ") + reason;
}

std::u16string SameFileText(const std::u16string& other, Language language) {
    return Fill(Pick(language, u"与%1是同一个文件", u"the same file as %1"), {other});
}

std::u16string SameNewNameText(const std::u16string& other, const std::u16string& endName,
                               Language language) {
    return Fill(Pick(language, u"与%1的新文件名相同：%2", u"%1 ends at the same name: %2"),
                {other, endName});
}

namespace {

// `otherName` (may be empty) names what the clash is about as the disk spells it: for the same
// file, the other row's file; for the same new name, that name.
std::u16string ClashText(rawfile::Refusal clash, const rawfile::RowPlan& row, std::size_t otherRow,
                         const std::u16string& otherName, Language language) {
    std::u16string other = RowName(otherRow, language);
    if (clash == rawfile::Refusal::kSameFile && !otherName.empty()) {
        other += Pick(language, u"（", u" (") + otherName + Pick(language, u"）", u")");
    }
    const std::u16string endName =
        clash == rawfile::Refusal::kSameNewName && !otherName.empty()
            ? otherName
            : rawfile::SplitRawPath(row.endPath, rawfile::PlatformPathStyle()).fileName;
    return clash == rawfile::Refusal::kSameFile ? SameFileText(other, language)
                                                : SameNewNameText(other, endName, language);
}

}  // namespace

std::u16string LogRefusal(const rawfile::RowPlan& row, const rawfile::PlanItem& item,
                          std::size_t otherRow, const std::u16string& otherName,
                          Language language) {
    std::u16string text;
    switch (row.refusal) {
        case rawfile::Refusal::kRow:
            text = RowProblemText(item.problem, language);
            break;
        case rawfile::Refusal::kLoad:
            text = LoadFailureText(row.loadError, row.outcome.Error().reason, language);
            break;
        case rawfile::Refusal::kSave:
            text = Refusal(row.outcome.refusal, row.outcome.newPath, language);
            break;
        case rawfile::Refusal::kSameFile:
        case rawfile::Refusal::kSameNewName:
            text = ClashText(row.refusal, row, otherRow, otherName, language);
            break;
        default:
            text = LoadFailure(rawfile::LoadError::kOpenFailed, language);
            break;
    }
    text = Sentence(text, language);
    if (row.clash != rawfile::Refusal::kNone) {
        text += Pick(language, u"", u" ") +
                Sentence(ClashText(row.clash, row, otherRow, otherName, language), language);
    }
    return text;
}

std::u16string LogState(const rawfile::RowPlan& row, Language language) {
    switch (row.state) {
        case rawfile::RowState::kWillSave:
            return Pick(language, u"将保存", u"will save");
        case rawfile::RowState::kUnchanged:
            return Pick(language, u"未更改", u"unchanged");
        case rawfile::RowState::kAlreadySaved:
            return Pick(language, u"已由之前的保存完成", u"already saved earlier");
        case rawfile::RowState::kSaved:
            return Pick(language, u"已保存", u"saved");
        case rawfile::RowState::kFailed:
            if (row.outcome.status == rawfile::SaveStatus::kJournalFailed) {
                return RecordWriteFailed(row.outcome.Error().reason, language);
            }
            return Fill(u"%1 %2", {FileOpFailure(row.outcome.Error().op, language),
                                   row.outcome.Error().reason});
        default:
            return u"";
    }
}

std::u16string RecordRefused(rawfile::RecordPlace place, const std::u16string& reason,
                             Language language) {
    switch (place) {
        case rawfile::RecordPlace::kRawFile:
            return Pick(language, u"不是修改记录，而是RVX文件；未做任何修改",
                        u"not a change record but a raw file; nothing was changed");
        case rawfile::RecordPlace::kFieldLog:
            return Pick(language, u"不是修改记录，而是外业记录表；未做任何修改",
                        u"not a change record but a field log; nothing was changed");
        case rawfile::RecordPlace::kInput:
            return Pick(language, u"修改记录不能是正在读取的外业记录表或修改记录；未做任何修改",
                        u"the change record cannot be the field log or record being read; "
                        u"nothing was changed");
        case rawfile::RecordPlace::kBusy:
            return Pick(language, u"另一个 rvxedit 正在写入此修改记录；未做任何修改",
                        u"another rvxedit is writing this record; nothing was changed");
        case rawfile::RecordPlace::kNotRecord:
            return Pick(language, u"不是修改记录（第一行不是修改记录的列名）；未做任何修改",
                        u"not a change record (its first line is not the record's column "
                        u"names); nothing was changed");
        default:  // a record that could not be opened, read or written
            return RecordWriteFailed(reason, language);
    }
}

std::u16string RecordWriteFailed(const std::u16string& reason, Language language) {
    return Fill(Pick(language, u"无法写入修改记录：%1；未做任何修改",
                     u"cannot write the change record: %1; nothing was changed"),
                {reason});
}

std::u16string LogReadings(const rawfile::Readings& readings, Language language) {
    const std::vector<std::string>& cells =
        readings.vertical.empty() ? readings.slant : readings.vertical;
    std::size_t count = 0;
    double least = 0;
    double most = 0;
    for (std::string cell : cells) {
        if (readings.decimalComma) {
            std::replace(cell.begin(), cell.end(), ',', '.');
        }
        char* end = nullptr;
        const double value = std::strtod(cell.c_str(), &end);
        if (cell.empty() || *end != '\0') {
            continue;
        }
        least = count == 0 || value < least ? value : least;
        most = count == 0 || value > most ? value : most;
        ++count;
    }
    if (count < 2) {
        return u"";
    }
    const std::u16string spread = rawfile::BytesToText(rawfile::FormatFixed(most - least, 3));
    return Fill(Pick(language, u"%1个读数，相差%2米", u"%1 readings, spread %2 m"),
                {Number(count), spread});
}

std::u16string LogColumn(int index, Language language) {
    switch (index) {
        case 0:
            return Pick(language, u"行", u"Row");
        case 1:
            return Pick(language, u"文件", u"File");
        case 2:
            return Pick(language, u"点名", u"Point name");
        case 3:
            return Pick(language, u"天线高(M)", u"Height (m)");
        default:
            return Pick(language, u"状态", u"State");
    }
}

std::u16string LogFileCell(const std::u16string& path, const std::u16string& logFolder) {
    std::u16string shown = path.compare(0, logFolder.size(), logFolder) == 0 && !logFolder.empty()
                               ? path.substr(logFolder.size())
                               : path;
    std::replace(shown.begin(), shown.end(), u'/', u'\\');
    const std::size_t cut = shown.find_last_of(u'\\');
    if (cut == std::u16string::npos) {
        return shown;
    }
    std::u16string folder = shown.substr(0, cut);
    // A bare drive keeps its separator: "C:\", not "C:".
    if (folder.size() == 2 && folder[1] == u':') {
        folder += u'\\';
    }
    return shown.substr(cut + 1) + u" \u2014 " + folder;
}

std::u16string OneLineText(const std::u16string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            continue;  // CR LF: the LF makes the one space
        }
        out.push_back(c == u'\r' || c == u'\n' || c == u'\t' ? u' ' : c);
    }
    return out;
}

std::u16string LogEncodingChoice(int index, unsigned systemCodePage, Language language) {
    switch (index) {
        case 0:
            return Pick(language, u"自动", u"Automatic");
        case 1:
            return u"UTF-8";
        case 2:
            return u"UTF-16 LE";
        case 3:
            return u"UTF-16 BE";
        case 4:
            return u"GBK";
        case 5:
            return u"windows-1252";
        default:
            return Fill(Pick(language, u"系统默认（代码页%1）", u"The system's (code page %1)"),
                        {Number(systemCodePage)});
    }
}

std::u16string LogEncodingRead(const std::u16string& encoding, bool fromBom, Language language) {
    if (fromBom) {
        return Fill(Pick(language, u"已按%1读取（依据字节顺序标记）",
                         u"Read as %1, from its byte-order mark."),
                    {encoding});
    }
    return Fill(Pick(language, u"已按%1读取", u"Read as %1."), {encoding});
}

std::u16string LogReading(Language language) {
    return Pick(language, u"正在读取记录表……", u"Reading the log…");
}

std::u16string LogChecking(std::size_t done, std::size_t total, Language language) {
    return Fill(Pick(language, u"正在检查：%1 / %2", u"Checking: %1 / %2"),
                {Number(done), Number(total)});
}

std::u16string LogProblems(std::size_t rows, Language language) {
    return Fill(Pick(language, u"有%1行有问题，不能保存。请改正记录表后再拖入。",
                     rows == 1 ? u"%1 row has a problem; nothing can be saved. Correct the log and "
                                 u"drop it again."
                               : u"%1 rows have problems; nothing can be saved. Correct the log "
                                 u"and drop it again."),
                {Number(rows)});
}

std::u16string LogReady(std::size_t toSave, std::size_t rows, Language language) {
    return Fill(Pick(language, u"全部%1行均已通过检查，将保存%2个文件。",
                     u"All %1 rows pass; files to save: %2."),
                {Number(rows), Number(toSave)});
}

std::u16string LogSaving(std::size_t done, std::size_t total, Language language) {
    return Fill(Pick(language, u"正在保存：%1 / %2", u"Saving: %1 / %2"),
                {Number(done), Number(total)});
}

std::u16string LogSaved(std::size_t saved, std::size_t failed, bool cancelled, Language language) {
    std::u16string text =
        Fill(Pick(language, u"已保存%1个文件。", u"Files saved: %1."), {Number(saved)});
    if (failed != 0) {
        text += Fill(Pick(language, u"%1个文件保存失败；排除原因后再次拖入记录表即可完成。",
                          u" Files that failed: %1; mend the cause and drop the log again to "
                          u"finish."),
                     {Number(failed)});
    }
    if (cancelled) {
        text += Pick(language, u"已取消；再次拖入记录表即可完成其余文件。",
                     u" Cancelled; drop the log again to finish the rest.");
    }
    return text;
}

std::u16string LogCancelling(Language language) {
    return Pick(language, u"正在取消：正在保存的这组文件完成后停止……",
                u"Cancelling: stopping once the files being saved now are done…");
}

std::u16string LogStopping(Language language) {
    return Pick(language, u"正在停止……", u"Stopping…");
}

std::u16string LogCancel(Language language) {
    return Pick(language, u"取消", u"Cancel");
}

std::u16string LogClose(Language language) {
    return Pick(language, u"关闭", u"Close");
}

std::u16string LogFilter(Language language) {
    return Pick(language, u"野外记录(*.csv;*.txt)", u"Field log (*.csv;*.txt)");
}

}  // namespace texts

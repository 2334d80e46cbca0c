#include "log_messages.h"

#include <algorithm>
#include <cstdlib>

#include "numbers.h"
#include "text.h"

namespace texts {

namespace {

std::u16string Pick(Language language, const char16_t* chinese, const char16_t* english) {
    return language == Language::kChinese ? chinese : english;
}

std::u16string Number(std::size_t n) {
    return rawfile::WholeNumberText(static_cast<long long>(n));
}

std::u16string RowName(std::size_t row, Language language) {
    return Fill(Pick(language, u"第%1行", u"row %1"), {Number(row)});
}

}  // namespace

std::u16string LogProblem(const rawfile::FieldLog& log, Language language) {
    std::u16string text;
    switch (log.problem) {
        case rawfile::LogProblem::kNone:
            return u"";
        case rawfile::LogProblem::kTooLarge:
            text = Pick(language, u"记录表大于64 MiB", u"the log is larger than 64 MiB");
            break;
        case rawfile::LogProblem::kUnreadable:
            text = Pick(language, u"无法读取记录表：", u"cannot read the log: ") + log.detail;
            break;
        case rawfile::LogProblem::kNotText:
        case rawfile::LogProblem::kControlCharacter:
        case rawfile::LogProblem::kMarkDisagrees:
        case rawfile::LogProblem::kEncodingUnsure:
            text = LogEncodingProblem(log, language);
            break;
        case rawfile::LogProblem::kUnclosedQuote:
        case rawfile::LogProblem::kStrayQuote:
        case rawfile::LogProblem::kTextAfterQuote:
            text = Pick(language, u"引号用法不正确", u"a cell's quotes are not as CSV has them");
            break;
        case rawfile::LogProblem::kEmpty:
            text = Pick(language, u"记录表为空；第一行须为列名",
                        u"the log is empty; its first row must name the columns");
            break;
        case rawfile::LogProblem::kColumnTwice:
            text = Fill(Pick(language, u"第一行的“%1”列出现了不止一次",
                             u"the first row names the \"%1\" column more than once"),
                        {log.detail});
            break;
        case rawfile::LogProblem::kNoFileColumn:
            text = Pick(language, u"第一行没有“file”列", u"the first row names no \"file\" column");
            break;
    }
    const std::u16string where =
        log.problemRow == 0 ? u""
                            : RowName(log.problemRow, language) + Pick(language, u"：", u": ");
    return Sentence(where + text, language);
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

std::u16string LogRowProblem(const rawfile::LogRow& row, double tolerance, Language language) {
    switch (row.problem) {
        case rawfile::LogRowProblem::kNone:
            return u"";
        case rawfile::LogRowProblem::kTooManyCells:
            return Fill(Pick(language, u"该行有%1个单元格，第一行只有%2个",
                             u"The row has %1 cells, the first row only %2."),
                        {Number(row.cells), Number(row.columns)});
        case rawfile::LogRowProblem::kCellNotText:
            return Pick(language, u"单元格不是文本", u"A cell is not text.");
        case rawfile::LogRowProblem::kNoFileCell:
            return Pick(language, u"未给出文件", u"No file given.");
        case rawfile::LogRowProblem::kLikelyMillimetres: {
            rawfile::NormalisedHeight height;
            rawfile::NormaliseHeight(row.height.value_or(u""), &height);
            return LikelyMillimetres(height, language);
        }
        case rawfile::LogRowProblem::kReadings:
            break;
    }
    const rawfile::HeightFromReadings& r = row.readings;
    switch (r.problem) {
        case rawfile::ReadingsProblem::kNotNumber:
            return Fill(Pick(language, u"读数“%1”不是有效的数字",
                             u"The reading \"%1\" is not a decimal number."),
                        {rawfile::Utf8ToUtf16(r.cell)});
        case rawfile::ReadingsProblem::kBothKinds:
            return Pick(language, u"同时有垂直读数和斜高读数；只能给出一种",
                        u"Both vertical and slant readings; give one kind.");
        case rawfile::ReadingsProblem::kNoRadius:
            return Pick(language, u"斜高读数需要天线半径",
                        u"Slant readings need the antenna's radius.");
        case rawfile::ReadingsProblem::kSlantNotAboveRadius:
            return Pick(language, u"斜高不大于天线半径",
                        u"The slant is not longer than the radius.");
        case rawfile::ReadingsProblem::kSpread: {
            std::u16string readings;
            for (const std::string& reading : r.spread) {
                readings += (readings.empty() ? u"" : u", ") + rawfile::Utf8ToUtf16(reading);
            }
            const std::u16string limit = rawfile::BytesToText(rawfile::FormatFixed(tolerance, 3));
            return Fill(Pick(language, u"读数 %1 之间的差超过 %2 米",
                             u"The readings %1 disagree by more than %2 m."),
                        {readings, limit});
        }
        default:
            return Pick(language, u"由读数得到的天线高过大，无法保存",
                        u"The readings give a height too large to save.");
    }
}

std::u16string LogRefusal(const rawfile::RowPlan& row, std::size_t otherRow,
                          const std::u16string& otherName, Language language) {
    switch (row.refusal) {
        case rawfile::Refusal::kLoad:
            return Sentence(LoadFailure(row.loadError, language), language);
        case rawfile::Refusal::kSave:
            return Sentence(Refusal(row.outcome.refusal, row.outcome.plan.newPath, language),
                            language);
        case rawfile::Refusal::kSameFile:
            if (!otherName.empty()) {
                return Fill(Pick(language, u"与%1（%2）是同一个文件", u"The same file as %1 (%2)."),
                            {RowName(otherRow, language), otherName});
            }
            return Fill(Pick(language, u"与%1是同一个文件", u"The same file as %1."),
                        {RowName(otherRow, language)});
        case rawfile::Refusal::kSameNewName:
            if (!otherName.empty()) {
                return Fill(Pick(language, u"与%1的新文件名相同（%2）",
                                 u"Ends at the same name as %1 (%2)."),
                            {RowName(otherRow, language), otherName});
            }
            return Fill(Pick(language, u"与%1的新文件名相同", u"Ends at the same name as %1."),
                        {RowName(otherRow, language)});
        default:
            return Sentence(LoadFailure(rawfile::LoadError::kOpenFailed, language), language);
    }
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
                return RecordWriteFailed(row.outcome.error.reason, language);
            }
            return Fill(u"%1 %2",
                        {FileOpFailure(row.outcome.error.op, language), row.outcome.error.reason});
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

#include "field_log.h"

#include "log_messages.h"
#include "log_reader.h"
#include "messages.h"
#include "numbers.h"
#include "save.h"
#include "text.h"

namespace rvxedit {

namespace {

std::u16string LogProblemText(const rawfile::FieldLog& log, const CliTexts& t) {
    switch (log.problem) {
        case rawfile::LogProblem::kTooLarge:
            return t.logTooLarge;
        case rawfile::LogProblem::kUnreadable:
            return Fill(t.logUnreadable, {log.detail});
        case rawfile::LogProblem::kNotText:
        case rawfile::LogProblem::kControlCharacter:
            return texts::LogEncodingProblem(log, t.language);
        case rawfile::LogProblem::kMarkDisagrees:
            return texts::LogEncodingProblem(log, t.language) + t.markDisagreesHint;
        case rawfile::LogProblem::kEncodingUnsure:
            return texts::LogEncodingProblem(log, t.language) + t.encodingUnsureHint;
        case rawfile::LogProblem::kUnclosedQuote:
            return t.unclosedQuote;
        case rawfile::LogProblem::kStrayQuote:
            return t.strayQuote;
        case rawfile::LogProblem::kTextAfterQuote:
            return t.textAfterQuote;
        case rawfile::LogProblem::kEmpty:
            return t.logEmpty;
        case rawfile::LogProblem::kColumnTwice:
            return Fill(t.columnTwice, {log.detail});
        case rawfile::LogProblem::kNoFileColumn:
            return t.noFileColumn;
        default:
            return u"";
    }
}

std::u16string RowProblemText(const rawfile::LogRow& row, double tolerance, const CliTexts& t) {
    switch (row.problem) {
        case rawfile::LogRowProblem::kTooManyCells:
            return Fill(t.tooManyCells,
                        {rawfile::WholeNumberText(static_cast<long long>(row.cells)),
                         rawfile::WholeNumberText(static_cast<long long>(row.columns))});
        case rawfile::LogRowProblem::kCellNotText:
            return t.cellNotText;
        case rawfile::LogRowProblem::kNoFileCell:
            return t.noFileCell;
        case rawfile::LogRowProblem::kReadings:
            return ReadingsProblemText(row.readings, tolerance, t);
        case rawfile::LogRowProblem::kLikelyMillimetres: {
            rawfile::NormalisedHeight height;
            rawfile::NormaliseHeight(row.height.value_or(u""), &height);
            return Fill(t.allowWithMaxHeight, {texts::LikelyMillimetres(height, t.language)});
        }
        default:
            return u"";
    }
}

}  // namespace

FieldLog ReadFieldLog(const std::u16string& path, rawfile::TextEncoding encoding, double tolerance,
                      std::optional<double> maxHeight, const CliTexts& t) {
    const rawfile::FieldLog read = rawfile::ReadFieldLog(path, encoding, tolerance, maxHeight);
    FieldLog log;
    log.problem = LogProblemText(read, t);
    log.problemRow = read.problemRow;
    log.encoding =
        read.problem == rawfile::LogProblem::kNone ? texts::LogEncoding(read, t.language) : u"";
    for (const rawfile::LogRow& row : read.rows) {
        log.rows.push_back({row.number, Arg{row.file, true}, row.pointName, row.height,
                            RowProblemText(row, tolerance, t)});
    }
    return log;
}

}  // namespace rvxedit

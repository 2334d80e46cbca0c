// The field-log window's texts in the two languages. Load failures and save refusals are the
// editor's own words (messages.h).
#pragma once

#include <cstddef>
#include <string>

#include "log_plan.h"
#include "log_reader.h"
#include "messages.h"
#include "record_file.h"

namespace texts {

// The field log's problems as phrases, the same for both programs: rvxedit prints them after
// the log's name and row, the window as sentences.

// What makes the whole log unusable (its row, if any, is the caller's to name).
std::u16string LogProblemText(const rawfile::FieldLog& log, Language language);
// What is wrong with a row of the log itself.
std::u16string RowProblemText(const rawfile::RowProblem& problem, Language language);
// Why readings give no height.
std::u16string ReadingsProblemText(const rawfile::HeightFromReadings& result, Language language);
// Why a raw file did not load, with the system's reason when there is one.
std::u16string LoadFailureText(rawfile::LoadError error, const std::u16string& reason,
                               Language language);
// How a problem names a row of the log.
std::u16string RowName(std::size_t row, Language language);
// A clash with another item, `other` naming it (a row, or a file's path); `endName` is the name
// both would end under.
std::u16string SameFileText(const std::u16string& other, Language language);
std::u16string SameNewNameText(const std::u16string& other, const std::u16string& endName,
                               Language language);
// The encoding the log was read in: "read as windows-1252", "read as UTF-16 LE, from its
// byte-order mark"; a fragment of a line.
std::u16string LogEncoding(const rawfile::FieldLog& log, Language language);
// Why the log's bytes are no text it can read (kNotText, kControlCharacter, kMarkDisagrees,
// kEncodingUnsure), as a fragment of a line; empty for any other problem.
std::u16string LogEncodingProblem(const rawfile::FieldLog& log, Language language);

// The window's status line for an unusable log: with its row, as a sentence.
std::u16string LogProblem(const rawfile::FieldLog& log, Language language);
// Why the planner refused a row, as the window's state column says it; `otherRow` is the log
// row of the item it clashes with, and `otherName` (may be empty) the name that clash is about
// as the disk spells it: for the same file, the other row's file; for the same new name, that
// name.
std::u16string LogRefusal(const rawfile::RowPlan& row, const rawfile::PlanItem& item,
                          std::size_t otherRow, const std::u16string& otherName, Language language);
// A row's state other than a refusal: will save, unchanged, already saved, saved, or a failed
// save with the system's reason.
std::u16string LogState(const rawfile::RowPlan& row, Language language);
// How many readings a row has and how far they spread, when it has more than one; empty
// otherwise.
std::u16string LogReadings(const rawfile::Readings& readings, Language language);
// Why the change record could not take a save's rows, ending in that nothing was changed: what
// the file is, or (kFailed, or a record whose write failed) the system's `reason`.
std::u16string RecordRefused(rawfile::RecordPlace place, const std::u16string& reason,
                             Language language);
// A save the change record could not note: the system's reason, and that nothing was changed.
std::u16string RecordWriteFailed(const std::u16string& reason, Language language);
// The list's column headings, 0 to 4: row, file, point name, height, state.
std::u16string LogColumn(int index, Language language);
// The file cell: the file's name first, then, after a dash, its folder relative to the log's
// folder (`logFolder`, ending in a separator), with backslashes and no trailing separator. A
// file in the log's own folder shows its name alone.
std::u16string LogFileCell(const std::u16string& path, const std::u16string& logFolder);
// `text` on one line: each line break (CR, LF or CR LF) and tab becomes a space.
std::u16string OneLineText(const std::u16string& text);
// The encodings the window offers, 0 to kLogEncodingChoices - 1: automatic, UTF-8, UTF-16 LE,
// UTF-16 BE, GBK, windows-1252, the system's ANSI code page (`systemCodePage`).
constexpr int kLogEncodingChoices = 7;
std::u16string LogEncodingChoice(int index, unsigned systemCodePage, Language language);
// Which encoding the log was read in (`encoding` as the reader names it), and whether its
// byte-order mark said so.
std::u16string LogEncodingRead(const std::u16string& encoding, bool fromBom, Language language);
// The line above the buttons.
std::u16string LogReading(Language language);
std::u16string LogChecking(std::size_t done, std::size_t total, Language language);
std::u16string LogProblems(std::size_t rows, Language language);
std::u16string LogReady(std::size_t toSave, std::size_t rows, Language language);
std::u16string LogSaving(std::size_t done, std::size_t total, Language language);
std::u16string LogSaved(std::size_t saved, std::size_t failed, bool cancelled, Language language);
// Cancel pressed while files are being saved: the group under way finishes first.
std::u16string LogCancelling(Language language);
// The window closes, or reads the log again, once the reading or checking under way stops.
std::u16string LogStopping(Language language);
// The buttons the window relabels while it works (Save all's own label is the template's), and
// the open dialog's filter.
std::u16string LogCancel(Language language);
std::u16string LogClose(Language language);
std::u16string LogFilter(Language language);

}  // namespace texts

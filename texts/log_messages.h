// The field-log window's texts in the two languages. Load failures and save refusals are the
// editor's own words (messages.h).
#pragma once

#include <cstddef>
#include <string>

#include "log_plan.h"
#include "log_reader.h"
#include "messages.h"

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

// The window's status line for an unusable log: with its row, as a sentence.
std::u16string LogProblem(const rawfile::FieldLog& log, Language language);
// Why the planner refused a row, as the window's state column says it; `otherRow` is the log
// row of the item it clashes with.
std::u16string LogRefusal(const rawfile::RowPlan& row, const rawfile::PlanItem& item,
                          std::size_t otherRow, Language language);
// A row's state other than a refusal: will save, unchanged, already saved, saved, or a failed
// save with the system's reason.
std::u16string LogState(const rawfile::RowPlan& row, Language language);
// How many readings a row has and how far they spread, when it has more than one; empty
// otherwise.
std::u16string LogReadings(const rawfile::Readings& readings, Language language);
// The list's column headings, 0 to 4: row, file, point name, height, state.
std::u16string LogColumn(int index, Language language);
// The line above the buttons.
std::u16string LogChecking(std::size_t done, std::size_t total, Language language);
std::u16string LogProblems(std::size_t rows, Language language);
std::u16string LogReady(std::size_t toSave, std::size_t rows, Language language);
std::u16string LogSaving(std::size_t done, std::size_t total, Language language);
std::u16string LogSaved(std::size_t saved, std::size_t failed, bool cancelled, Language language);
// The buttons the window relabels while it works (Save all's own label is the template's), and
// the open dialog's filter.
std::u16string LogCancel(Language language);
std::u16string LogClose(Language language);
std::u16string LogFilter(Language language);

}  // namespace texts

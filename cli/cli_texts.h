// rvxedit's own texts in the two languages it speaks. The load failures and save refusals it
// shares with the dialog, and the field log's problems it shares with the log window, come from
// texts/, word for word.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "editing.h"
#include "log_plan.h"
#include "messages.h"

namespace rvxedit {

// Each text is one whole message; %1, %2, ... stand for the values Fill puts in.
struct CliTexts {
    texts::Language language;
    // Help: the words; the command table puts them together with the names.
    const char16_t* usage;
    const char16_t* summary;
    const char16_t* helpEnd;
    const char16_t* fileArgs;
    const char16_t* logArg;
    const char16_t* recordArg;
    const char16_t* encodingValue;
    const char16_t* nameValue;
    const char16_t* metresValue;
    const char16_t* languageValue;
    const char16_t* showHelp;
    const char16_t* setHelp;
    const char16_t* applyHelp;
    const char16_t* undoHelp;
    const char16_t* jsonHelp;
    const char16_t* pointHelp;
    const char16_t* heightHelp;
    const char16_t* slantHelp;
    const char16_t* radiusHelp;
    const char16_t* offsetHelp;
    const char16_t* toleranceHelp;
    const char16_t* maxHeightHelp;
    const char16_t* encodingHelp;
    const char16_t* recordHelp;
    const char16_t* setDryRunHelp;
    const char16_t* applyDryRunHelp;
    const char16_t* undoDryRunHelp;
    const char16_t* skipChangedHelp;
    const char16_t* recursiveHelp;
    const char16_t* languageHelp;
    // Usage errors.
    const char16_t* tryHelp;
    const char16_t* noCommand;
    const char16_t* unknownCommand;
    const char16_t* unknownOption;
    const char16_t* needsValue;
    const char16_t* valueNotUtf8;
    const char16_t* givenTwice;
    const char16_t* badLanguage;
    const char16_t* noFiles;
    const char16_t* setNeedsField;
    const char16_t* applyOneLog;
    const char16_t* undoOneRecord;
    const char16_t* badEncoding;
    const char16_t* badTolerance;
    const char16_t* badMaxHeight;
    const char16_t* allowWithMaxHeight;
    const char16_t* radiusNeedsSlant;
    // Running.
    const char16_t* internalError;
    const char16_t* outputFailed;
    const char16_t* progress;
    const char16_t* nameNotUtf8;
    const char16_t* folderWithoutRecursive;
    const char16_t* folderWithoutRawFiles;
    const char16_t* folderUnreadable;
    // show.
    const char16_t* showLine;
    const char16_t* fieldMillimetres;
    const char16_t* fieldNone;
    const char16_t* heightsDisagree;
    // set and apply.
    const char16_t* unchanged;
    const char16_t* wouldSave;
    const char16_t* saved;
    const char16_t* change;
    const char16_t* alreadySaved;
    const char16_t* openForWritingFailed;
    const char16_t* readForWritingFailed;
    const char16_t* writeFailed;
    const char16_t* renameFailed;
    const char16_t* renameHalf;
    const char16_t* folderFlushFailed;
    const char16_t* folderRefusesRename;
    const char16_t* readFailed;
    const char16_t* nothingChangedFiles;
    const char16_t* runAgain;
    const char16_t* recordFailed;
    // apply.
    const char16_t* atRow;
    const char16_t* markDisagreesHint;
    const char16_t* encodingUnsureHint;
    const char16_t* nothingChanged;
    // undo.
    const char16_t* recordUnreadable;
    const char16_t* notChangeRecord;
    const char16_t* recordEmpty;
    const char16_t* changedSince;
    const char16_t* shortHead;
    const char16_t* badOldHead;
    const char16_t* undoMissing;
    const char16_t* undoRenamed;
    const char16_t* nothingChangedChanges;
    const char16_t* skipped;
};

// The texts of one language.
const CliTexts& TextsFor(texts::Language language);

// Puts the values in for %1, %2, ... (shared with the dialog's texts).
using texts::AppendFilled;
using texts::Fill;

// Why a load failed; for a failed read, with the system's reason `readReason`.
std::u16string LoadFailureText(rawfile::LoadError error, const std::u16string& readReason,
                               const CliTexts& t);

// Why the save failed or was refused, and what state the file was left in; `target` is the path
// the rename was to make.
std::u16string SaveFailureText(const rawfile::RowOutcome& outcome, const std::u16string& target,
                               const CliTexts& t);

}  // namespace rvxedit

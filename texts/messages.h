// The messages the dialog and rvxedit show when a load fails or a save is refused, and the
// dialog's other messages, in the two languages the programs speak. The Chinese texts are the
// dialog's own, word for word.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "file_ops.h"
#include "loader.h"
#include "save.h"

namespace texts {

enum class Language { kChinese, kEnglish };

// `pattern` with each %1 ... %9 replaced by the value of that number (values are not scanned
// again, so a % in a path stays as it is).
std::u16string Fill(std::u16string_view pattern, std::initializer_list<std::u16string_view> values);
// Appends what Fill gives to *out.
void AppendFilled(std::u16string* out, std::u16string_view pattern,
                  std::initializer_list<std::u16string_view> values);

// Why a load failed; empty for kNone. For kReadFailed the caller adds the system's reason.
std::u16string LoadFailure(rawfile::LoadError error, Language language);

// Why a save was refused before anything changed; `target` is the path a rename would have
// replaced. Empty for kNone.
std::u16string Refusal(rawfile::SaveRefusal refusal, const std::u16string& target,
                       Language language);

// The save's answer when no file is loaded.
std::u16string ImportFirst(Language language);

// One of the texts above as a message box shows it on its own: in English with a capital first
// letter and a closing full stop. Chinese texts come back as they are.
std::u16string Sentence(std::u16string text, Language language);

// The editor dialog's own texts.

// The first line of a file-error box: what failed. The paths and the system's reason follow.
std::u16string FileOpFailure(rawfile::FileOp op, Language language);
// Notepad could not be started on the current file.
std::u16string ViewFailed(Language language);
// More than one file was dropped on the dialog.
std::u16string DropOneFile(Language language);
// The caption of the import button's open dialog.
std::u16string ImportTitle(Language language);
// The question before the dialog ends with fields that differ from the file.
std::u16string UnsavedEdits(Language language);
// A height of `typed` metres that is most likely millimetres: the question before it is saved,
// and a log row's or rvxedit's refusal. `metres` is what it stands for ("1.600").
std::u16string LikelyMillimetres(const std::u16string& typed, const std::u16string& metres,
                                 Language language);
// The same for a saved-form height (a log row's, rvxedit's), shown without trailing zeros.
std::u16string LikelyMillimetres(const rawfile::NormalisedHeight& height, Language language);
// The change record at `path` is held open by another program, named `program` (empty: its
// name is not known); nothing was saved.
std::u16string RecordHeld(const std::u16string& path, const std::u16string& program,
                          Language language);
// The path field's context-menu item.
std::u16string CopyPath(Language language);

}  // namespace texts

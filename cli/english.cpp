#include "english.h"

#include "messages.h"

namespace rvxedit {

std::u16string SaveFailureText(const rawfile::SaveOutcome& outcome, const std::u16string& target) {
    const std::u16string& reason = outcome.error.reason;
    switch (outcome.status) {
        case rawfile::SaveStatus::kWriteFailed:
            return (outcome.error.op == rawfile::FileOp::kOpen
                        ? u"cannot open the file for writing: "
                        : u"cannot write the header: ") +
                   reason + u"; nothing was changed";
        case rawfile::SaveStatus::kRenameFailed:
            return u"the new header is written, but the rename to " + target + u" failed: " +
                   reason + u"; the file keeps its old name";
        case rawfile::SaveStatus::kNotLoaded:
            return texts::ImportFirst(texts::Language::kEnglish);
        default:
            return texts::Refusal(outcome.refusal, target, texts::Language::kEnglish);
    }
}

}  // namespace rvxedit

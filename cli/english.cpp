#include "english.h"

namespace rvxedit {

using rawfile::LoadError;
using rawfile::SaveRefusal;
using rawfile::SaveStatus;

std::u16string LoadFailureText(LoadError error) {
    switch (error) {
        case LoadError::kNone:
            return u"";
        case LoadError::kOpenFailed:
            return u"cannot open the raw file";
        case LoadError::kNoVersion:
            return u"no version number (ver) found; check that this is a raw file";
        case LoadError::kNoReceiverId:
            return u"no serial number (ReceiverID) found; check that this is a raw file";
        case LoadError::kNoDate:
            return u"no date (Date:) found; this is not a correct raw file";
        case LoadError::kDateTooLong:
            return u"date exception: the Date: value is longer than 15 bytes";
        case LoadError::kNoAntHeight:
            return u"no antenna height (AntHigh) found; check that this is a raw file";
    }
    return u"";
}

std::u16string RefusalText(SaveRefusal refusal, const std::u16string& target) {
    switch (refusal) {
        case SaveRefusal::kNone:
            return u"";
        case SaveRefusal::kBadPointName:
            return u"the point name cannot contain any of these characters: \\ / : * ? \" < > |";
        case SaveRefusal::kHeightNotNumber:
            return u"the antenna height is not a valid number; give it in metres";
        case SaveRefusal::kHeightOutOfRange:
            return u"the antenna height is out of range";
        case SaveRefusal::kHeaderTooLong:
            return u"the header would be too long to save";
        case SaveRefusal::kDateTooLong:
            return u"the date is too long: the saved file could not be loaded again";
        case SaveRefusal::kTargetExists:
            return u"the target file already exists, nothing was changed: " + target;
    }
    return u"";
}

std::u16string SaveFailureText(const rawfile::SaveOutcome& outcome, const std::u16string& target) {
    const std::u16string& reason = outcome.error.reason;
    switch (outcome.status) {
        case SaveStatus::kSaved:
            return u"";
        case SaveStatus::kRefused:
            return RefusalText(outcome.refusal, target);
        case SaveStatus::kWriteFailed:
            return (outcome.error.op == rawfile::FileOp::kOpen
                        ? u"cannot open the file for writing: "
                        : u"cannot write the header: ") +
                   reason + u"; nothing was changed";
        case SaveStatus::kRenameFailed:
            return u"the new header is written, but the rename to " + target + u" failed: " +
                   reason + u"; the file keeps its old name";
    }
    return u"";
}

}  // namespace rvxedit

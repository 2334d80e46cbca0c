#include "messages.h"

#include "save.h"

namespace rawfile {

std::u16string LoadErrorMessage(LoadError error) {
    switch (error) {
        case LoadError::kNone:
            return u"";
        case LoadError::kOpenFailed:
            return kMsgOpenFailed;
        case LoadError::kNoVersion:
            return kMsgNoVersion;
        case LoadError::kNoReceiverId:
            return kMsgNoReceiverId;
        case LoadError::kNoDate:
            return kMsgImportFirst;
        case LoadError::kDateTooLong:
            return kMsgDateException;
        case LoadError::kNoAntHeight:
            return kMsgNoAntHeight;
    }
    return u"";
}

bool LoadErrorHasErrorIcon(LoadError error) {
    return error != LoadError::kDateTooLong;
}

std::u16string SaveRefusalMessage(SaveRefusal refusal, const std::u16string& target) {
    switch (refusal) {
        case SaveRefusal::kNone:
            return u"";
        case SaveRefusal::kBadPointName:
            return kMsgBadPointName;
        case SaveRefusal::kHeightNotNumber:
            return kMsgHeightNotNumber;
        case SaveRefusal::kHeightOutOfRange:
            return kMsgHeightOutOfRange;
        case SaveRefusal::kHeaderTooLong:
            return kMsgHeaderTooLong;
        case SaveRefusal::kDateTooLong:
            return kMsgDateTooLong;
        case SaveRefusal::kTargetExists:
            return std::u16string(kMsgTargetExists) + u"\n" + target;
    }
    return u"";
}

}  // namespace rawfile

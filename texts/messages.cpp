#include "messages.h"

#include <algorithm>

#include "text.h"

namespace texts {

using rawfile::LoadError;
using rawfile::SaveRefusal;

namespace {

const char16_t kImportFirstChinese[] = u"请导入正确的RVX格式文件,再修改点名与天线高";

std::u16string Chinese(LoadError error) {
    switch (error) {
        case LoadError::kNone:
            return u"";
        case LoadError::kOpenFailed:
        case LoadError::kReadFailed:
            return u"打开RVX文件失败";
        case LoadError::kNoVersion:
            return u"未发现版本号(ver)，请确认文件是否为RVX格式";
        case LoadError::kNoReceiverId:
            return u"未发现SN号(ReceiverID)，请确认文件是否为RVX格式";
        case LoadError::kNoDate:
            return kImportFirstChinese;
        case LoadError::kDateTooLong:
            return u"Date Exception!";
        case LoadError::kNoAntHeight:
            return u"未发现天线高(AntHigh)，请确认文件是否为RVX格式";
    }
    return u"";
}

std::u16string English(LoadError error) {
    switch (error) {
        case LoadError::kNone:
            return u"";
        case LoadError::kOpenFailed:
            return u"cannot open the raw file";
        case LoadError::kReadFailed:
            return u"cannot read the raw file";
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

std::u16string Chinese(SaveRefusal refusal, const std::u16string& target) {
    switch (refusal) {
        case SaveRefusal::kNone:
            return u"";
        case SaveRefusal::kBadPointName:
            return u"点名不能包含下列字符：\\ / : * ? \" < > |";
        case SaveRefusal::kReservedName:
            return u"点名不能是系统保留的设备名(CON、PRN、AUX、NUL、COM1至COM9、LPT1至LPT9)";
        case SaveRefusal::kHeightNotNumber:
            return u"天线高不是有效的数字，请输入以米为单位的天线高";
        case SaveRefusal::kHeightOutOfRange:
            return u"天线高超出范围";
        case SaveRefusal::kHeaderTooLong:
            return u"文件头过长，无法保存";
        case SaveRefusal::kDateTooLong:
            return u"日期(Date)过长，保存后文件将无法再次导入，未做任何修改";
        case SaveRefusal::kTargetExists:
            return u"目标文件已存在，未做任何修改\n" + target;
        case SaveRefusal::kFileChanged:
            return u"文件已被其他程序修改，请重新导入后再保存";
    }
    return u"";
}

std::u16string English(SaveRefusal refusal, const std::u16string& target) {
    switch (refusal) {
        case SaveRefusal::kNone:
            return u"";
        case SaveRefusal::kBadPointName:
            return u"the point name cannot contain any of these characters: \\ / : * ? \" < > | "
                   u"(nor control characters)";
        case SaveRefusal::kReservedName:
            return u"the point name cannot be a name Windows reserves for a device (CON, PRN, AUX, "
                   u"NUL, COM1 to COM9, LPT1 to LPT9)";
        case SaveRefusal::kHeightNotNumber:
            return u"the antenna height is not a valid number; give it in metres";
        case SaveRefusal::kHeightOutOfRange:
            return u"the antenna height is out of range";
        case SaveRefusal::kHeaderTooLong:
            return u"the header would be too long to save";
        case SaveRefusal::kDateTooLong:
            return u"the date is too long: the saved file could not be loaded again";
        case SaveRefusal::kTargetExists:
            return u"the target file already exists (" + target + u"); nothing was changed";
        case SaveRefusal::kFileChanged:
            return u"the file has changed since it was read; read it again (nothing was changed)";
    }
    return u"";
}

}  // namespace

std::u16string Fill(std::u16string_view pattern,
                    std::initializer_list<std::u16string_view> values) {
    std::u16string out;
    AppendFilled(&out, pattern, values);
    return out;
}

void AppendFilled(std::u16string* out, std::u16string_view pattern,
                  std::initializer_list<std::u16string_view> values) {
    std::size_t size = out->size() + pattern.size();
    for (const std::u16string_view value : values) {
        size += value.size();
    }
    out->reserve(size);
    for (std::size_t i = 0; i < pattern.size();) {
        const std::size_t mark = std::min(pattern.find(u'%', i), pattern.size());
        out->append(pattern.substr(i, mark - i));
        if (mark == pattern.size()) {
            break;
        }
        const std::size_t n = mark + 1 < pattern.size() ? pattern[mark + 1] - u'1' : values.size();
        if (n < values.size()) {
            out->append(values.begin()[n]);
            i = mark + 2;
        } else {
            out->push_back(u'%');
            i = mark + 1;
        }
    }
}

std::u16string LoadFailure(LoadError error, Language language) {
    return language == Language::kChinese ? Chinese(error) : English(error);
}

std::u16string Refusal(SaveRefusal refusal, const std::u16string& target, Language language) {
    return language == Language::kChinese ? Chinese(refusal, target) : English(refusal, target);
}

std::u16string ImportFirst(Language language) {
    return language == Language::kChinese
               ? kImportFirstChinese
               : u"import a correct raw file before changing the point name and antenna height";
}

std::u16string Sentence(std::u16string text, Language language) {
    if (language == Language::kChinese || text.empty()) {
        return text;
    }
    if (text[0] >= u'a' && text[0] <= u'z') {
        text[0] = static_cast<char16_t>(text[0] - u'a' + u'A');
    }
    if (text.back() != u'.' && text.back() != u'?' && text.back() != u'!') {
        text.push_back(u'.');
    }
    return text;
}

std::u16string FileOpFailure(rawfile::FileOp op, Language language) {
    const bool chinese = language == Language::kChinese;
    switch (op) {
        case rawfile::FileOp::kFolder:
            return chinese ? u"文件夹不允许重命名该文件，未做任何修改："
                           : u"The folder does not let the file be renamed; nothing was changed:";
        case rawfile::FileOp::kOpen:
        case rawfile::FileOp::kRead:
            return chinese ? u"无法打开文件，未做任何修改："
                           : u"Cannot open the file; nothing was changed:";
        case rawfile::FileOp::kWrite:
            return chinese ? u"写入文件头时出错，文件头可能只写入了一部分，请再次保存："
                           : u"Cannot write the header; it may be partly written, save again:";
        case rawfile::FileOp::kRename:
            return chinese ? u"天线高已保存，但无法重命名文件："
                           : u"The antenna height is saved, but the file cannot be renamed:";
        case rawfile::FileOp::kRenameHalf:
            return chinese
                       ? u"天线高已保存，但重命名未完成：文件同时有原名和新名，再次保存即可完成："
                       : u"The antenna height is saved, but the rename is not finished: the "
                         u"file has both its old and its new name; save again to finish:";
        case rawfile::FileOp::kFlushFolder:
            return chinese ? u"文件已保存并重命名，但系统无法确认新文件名已写入磁盘："
                           : u"The file is saved and renamed, but the system cannot confirm that "
                             u"the new name is on the disk:";
    }
    return u"";
}

std::u16string ViewFailed(Language language) {
    return language == Language::kChinese
               ? u"无法打开，没有相关联的应用程序，或文件可能已被移除"
               : u"Cannot open the file in Notepad: there is no associated application, or the "
                 u"file may have been removed.";
}

std::u16string DropOneFile(Language language) {
    return language == Language::kChinese ? u"一次只能拖入一个RVX文件"
                                          : u"Drop only one RVX file at a time.";
}

std::u16string ImportTitle(Language language) {
    return language == Language::kChinese
               ? u"RVXTOOL 点名与天线高修改工具 - 导入RVX文件"
               : u"RVXTOOL point name and antenna height tool - Import RVX file";
}

std::u16string UnsavedEdits(Language language) {
    return language == Language::kChinese
               ? u"点名或天线高已修改但尚未保存。是否保存？"
               : u"The point name or antenna height has changed but is not saved. Save it?";
}

std::u16string LikelyMillimetres(const std::u16string& typed, const std::u16string& metres,
                                 Language language) {
    return Fill(
        language == Language::kChinese ? u"%1 米？是否应为 %2 米？" : u"%1 m? Should it be %2 m?",
        {typed, metres});
}

std::u16string LikelyMillimetres(const rawfile::NormalisedHeight& height, Language language) {
    std::string typed = height.text;
    while (typed.find('.') != std::string::npos && (typed.back() == '0' || typed.back() == '.')) {
        typed.pop_back();
    }
    return LikelyMillimetres(rawfile::BytesToText(typed),
                             rawfile::BytesToText(rawfile::MetresFromMillimetres(height)),
                             language);
}

std::u16string RecordHeld(const std::u16string& path, const std::u16string& program,
                          Language language) {
    if (language == Language::kChinese) {
        return program.empty() ? Fill(u"变更记录 %1 正被其他程序打开，关闭后再保存", {path})
                               : Fill(u"变更记录 %1 正被 %2 打开，关闭后再保存", {path, program});
    }
    return program.empty()
               ? Fill(
                     u"The change record %1 is open in another program; close it there, then "
                     u"save again.",
                     {path})
               : Fill(u"The change record %1 is open in %2; close it there, then save again.",
                      {path, program});
}

std::u16string CopyPath(Language language) {
    return language == Language::kChinese ? u"复制路径(&C)" : u"&Copy path";
}

}  // namespace texts

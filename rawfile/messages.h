// Every message text that loading and saving show, in one place. They are the program's own
// fixed texts and do not change with the interface language.
#pragma once

#include <string>

#include "loader.h"

namespace rawfile {

enum class SaveRefusal;

constexpr char16_t kMsgOpenFailed[] = u"打开RVX文件失败";
constexpr char16_t kMsgNoVersion[] = u"未发现版本号(ver)，请确认文件是否为RVX格式";
constexpr char16_t kMsgNoReceiverId[] = u"未发现SN号(ReceiverID)，请确认文件是否为RVX格式";
// Also the save's message when no file is loaded.
constexpr char16_t kMsgImportFirst[] = u"请导入正确的RVX格式文件,再修改点名与天线高";
constexpr char16_t kMsgDateException[] = u"Date Exception!";
constexpr char16_t kMsgNoAntHeight[] = u"未发现天线高(AntHigh)，请确认文件是否为RVX格式";

constexpr char16_t kMsgHeightNotNumber[] = u"天线高不是有效的数字，请输入以米为单位的天线高";
constexpr char16_t kMsgHeightOutOfRange[] = u"天线高超出范围";
constexpr char16_t kMsgHeaderTooLong[] = u"文件头过长，无法保存";
constexpr char16_t kMsgBadPointName[] = u"点名不能包含下列字符：\\ / : * ? \" < > |";
constexpr char16_t kMsgDateTooLong[] = u"日期(Date)过长，保存后文件将无法再次导入，未做任何修改";
constexpr char16_t kMsgTargetExists[] = u"目标文件已存在，未做任何修改";

// The message a failed load shows; empty for kNone.
std::u16string LoadErrorMessage(LoadError error);

// True when the load failure's message is shown with the error icon ("Date Exception!" is not).
bool LoadErrorHasErrorIcon(LoadError error);

// The message a refused save shows; `target` is the path a rename would have replaced.
std::u16string SaveRefusalMessage(SaveRefusal refusal, const std::u16string& target);

}  // namespace rawfile

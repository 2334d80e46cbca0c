// The point name lives in a raw file's name: its leading part, before a kept tail that every
// rename carries along unchanged.
#pragma once

#include <string>

#include "paths.h"

namespace rawfile {

constexpr size_t kMaxPointNameUnits = 8;
constexpr char16_t kStandardTail[] = u".RVX";

struct PointName {
    std::u16string pointName;
    std::u16string tail;
};

// The point name and kept tail of a file name (9 or more units: tail is the last 8; 5 to 8: the
// last 4; 4 or fewer: no point name and the tail ".RVX"). A cut inside a surrogate pair gives
// the whole pair to the tail.
PointName DerivePointName(const std::u16string& fileName);

// The point name cut to at most 8 UTF-16 units, never splitting a surrogate pair.
std::u16string CutPointName(const std::u16string& pointName);

// True when every character may stand in a Windows file name (none of \ / : * ? " < > | and no
// control character).
bool IsValidPointName(const std::u16string& pointName);

// True when the part of the file name before its first dot (less trailing spaces) is, in any
// letter case, a name Windows keeps for a device: CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9.
bool IsReservedDeviceName(const std::u16string& fileName);

// folder + point name (cut) + tail.
std::u16string ComposeRawPath(const std::u16string& folder, const std::u16string& pointName,
                              const std::u16string& tail);

}  // namespace rawfile

#include "save.h"

#include <cmath>
#include <limits>
#include <utility>

#include "loader.h"
#include "numbers.h"
#include "raw_file_name.h"

namespace rawfile {

bool HeightToMillimetres(float metres, std::int32_t* millimetres) {
    const double mm = std::round(static_cast<double>(metres) * 1000.0);
    if (!std::isfinite(mm) || mm < std::numeric_limits<std::int32_t>::min() ||
        mm > std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    *millimetres = static_cast<std::int32_t>(mm);
    return true;
}

SaveRefusal NormaliseHeight(const std::u16string& heightText, NormalisedHeight* height) {
    float typed = 0;
    if (!ParseStrictFloat(heightText, &typed)) {
        return SaveRefusal::kHeightNotNumber;
    }
    std::int32_t mm = 0;
    if (!std::isfinite(typed) || !HeightToMillimetres(typed, &mm)) {
        return SaveRefusal::kHeightOutOfRange;
    }
    NormalisedHeight h;
    h.text = FormatFixed(typed, 3);
    // The stored height is the three-decimal value as read back from its text.
    h.metres = ScanLeadingFloat(h.text);
    if (!HeightToMillimetres(h.metres, &h.millimetres)) {
        return SaveRefusal::kHeightOutOfRange;
    }
    *height = h;
    return SaveRefusal::kNone;
}

bool LooksLikeMillimetres(const NormalisedHeight& height, std::optional<double> maxMetres) {
    const long long mm =
        height.millimetres < 0 ? -static_cast<long long>(height.millimetres) : height.millimetres;
    if (!maxMetres) {
        return mm >= 100000;
    }
    return static_cast<double>(mm) > std::round(*maxMetres * 1000.0);
}

std::string MetresFromMillimetres(const NormalisedHeight& height) {
    return FormatFixed(static_cast<double>(height.metres) / 1000.0, 3);
}

SaveRefusal PlanSave(const LoadedFile& file, const std::u16string& pointName,
                     const std::u16string& heightText, SavePlan* plan) {
    SavePlan p;
    const bool ownName = pointName == file.pointName;
    p.pointName = ownName ? pointName : CutPointName(pointName);
    if (!ownName) {
        if (!IsValidPointName(p.pointName)) {
            return SaveRefusal::kBadPointName;
        }
        if (IsReservedDeviceName(p.pointName + file.tail)) {
            return SaveRefusal::kReservedName;
        }
    }
    const SaveRefusal refusal = NormaliseHeight(heightText, &p.height);
    if (refusal != SaveRefusal::kNone) {
        return refusal;
    }
    const std::string text = ComposeHeaderText(file.values, p.height.text);
    if (!ComposeHeaderBlock(text, p.height.millimetres, &p.block)) {
        return SaveRefusal::kHeaderTooLong;
    }
    // The block must load again to the height just written: a date of 14 or 15 bytes (possible
    // in a file with bare LF line ends) grows past the loader's limit with its CR LF, and a
    // text longer than 130 bytes has the millimetre field laid over its last lines.
    const LoadResult back = LoadRawHeaderFromBytes(p.block.data(), p.block.size());
    if (back.error == LoadError::kDateTooLong) {
        return SaveRefusal::kDateTooLong;
    }
    if (back.error != LoadError::kNone || back.values.antHeight != p.height.metres) {
        return SaveRefusal::kHeaderTooLong;
    }
    p.newPath = ownName ? file.path : ComposeRawPath(file.folder, p.pointName, file.tail);
    p.renames = p.newPath != file.path;
    *plan = std::move(p);
    return SaveRefusal::kNone;
}

}  // namespace rawfile

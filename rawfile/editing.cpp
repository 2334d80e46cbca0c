#include "editing.h"

#include "numbers.h"
#include "text.h"

namespace rawfile {

LoadError LoadForEditing(const std::u16string& path, PathStyle style, EditedFile* edited) {
    const SplitName split = SplitRawPath(path, style);
    edited->file.path = path;
    edited->file.folder = split.folder;
    edited->fileName = split.fileName;
    const LoadResult loaded = LoadRawHeader(path);
    if (loaded.error != LoadError::kNone) {
        return loaded.error;
    }
    const PointName name = DerivePointName(split.fileName);
    edited->file.tail = name.tail;
    edited->file.values = loaded.values;
    edited->pointName = name.pointName;
    edited->heightText = BytesToText(FormatFixed(loaded.values.antHeight, 3));
    return LoadError::kNone;
}

}  // namespace rawfile

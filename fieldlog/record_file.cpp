// The part of the change record's file that does not depend on the system.
#include "record_file.h"

#include "change_record.h"
#include "paths.h"

namespace rawfile {

bool AppendFile::KeepWholeRows(std::uint64_t size, bool created, bool* empty, FileError* error) {
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!ReadFromStart(&bytes, error)) {
        return false;
    }
    const std::size_t keep = WholeRecordLength(bytes, &lineEnd_);
    if (keep < bytes.size() && !CutTo(keep, error)) {
        return false;
    }
    *empty = keep == 0;
    return !created || FlushFolder(SplitRawPath(path_, PlatformPathStyle()).folder, error);
}

}  // namespace rawfile

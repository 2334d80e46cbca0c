#include "folders.h"

#include <algorithm>
#include <set>
#include <utility>

#include "raw_file_name.h"
#include "text.h"

namespace rvxedit {

namespace {

// Adds a file to work on, or with `problem` (one of the texts, its %1 being `detail`) a problem.
void Add(const Arg& path, std::vector<FileItem>* out, const CliTexts* t = nullptr,
         const char16_t* CliTexts::*problem = nullptr, const std::u16string& detail = u"") {
    FileItem item;
    item.path = path;
    if (problem != nullptr) {
        item.problem = Fill(t->*problem, {detail});
        item.englishProblem = Fill(TextsFor(texts::Language::kEnglish).*problem, {detail});
    }
    out->push_back(std::move(item));
}

// Appends the raw files under `folder` to *out. Returns how many it found. `above` holds the
// folders the walk is inside: a folder met again below itself (a link the listing could not
// tell from a folder) is not entered.
std::size_t Walk(const std::u16string& folder, const CliTexts& t, std::set<FileKey>* above,
                 std::vector<FileItem>* out) {
    FileKey key;
    const bool known = KeyOf(folder, &key);
    if (known && !above->insert(key).second) {
        return 0;
    }
    std::vector<FolderEntry> entries;
    std::u16string reason;
    if (!ListFolder(folder, &entries, &reason)) {
        Add(Arg{folder, true}, out, &t, &CliTexts::folderUnreadable, reason);
        above->erase(key);
        return 0;
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name.text < b.name.text; });
    std::size_t found = 0;
    for (const FolderEntry& entry : entries) {
        const Arg path{rawfile::JoinPath(folder, entry.name.text, rawfile::PlatformPathStyle()),
                       entry.name.exact};
        if (entry.kind == EntryKind::kFile && IsRawFileName(entry.name.text)) {
            // A name that is not UTF-8 is passed on: the load names it as such.
            Add(path, out);
            ++found;
        } else if (entry.kind == EntryKind::kFolder && !path.exact) {
            Add(path, out, &t, &CliTexts::nameNotUtf8);
        } else if (entry.kind == EntryKind::kFolder) {
            found += Walk(path.text, t, above, out);
        }
    }
    if (known) {
        above->erase(key);
    }
    return found;
}

}  // namespace

bool IsRawFileName(const std::u16string& name) {
    const std::u16string tail = rawfile::kStandardTail;
    return name.size() >= tail.size() &&
           rawfile::AsciiUpper(name.substr(name.size() - tail.size())) == tail;
}

void ExpandArg(const Arg& arg, bool recursive, const CliTexts& t, std::vector<FileItem>* out,
               rawfile::FolderListings* listings) {
    if (!arg.exact || KindOf(arg.text, listings) != EntryKind::kFolder) {
        Add(arg, out);
        return;
    }
    if (!recursive) {
        Add(arg, out, &t, &CliTexts::folderWithoutRecursive);
        return;
    }
    const std::size_t before = out->size();
    std::set<FileKey> above;
    if (Walk(arg.text, t, &above, out) == 0 && out->size() == before) {
        Add(arg, out, &t, &CliTexts::folderWithoutRawFiles);
    }
}

}  // namespace rvxedit

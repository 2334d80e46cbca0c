#include "undo.h"

#include <cstdio>
#include <functional>
#include <map>

#include "text.h"

namespace rawfile {

namespace {

// Paths as the record's file system compares them: Windows ignores the case of letters.
std::u16string PathKey(const std::u16string& path) {
#ifdef _WIN32
    return AsciiUpper(path);
#else
    return path;
#endif
}

bool SamePath(const std::u16string& a, const std::u16string& b) {
    return PathKey(a) == PathKey(b);
}

// True when every byte of `disk` is `older`'s or `newer`'s at its place, all 160 of them.
bool OldNewOrMix(const std::string& disk, const std::string& older, const std::string& newer) {
    if (disk.size() != kBlockSize || newer.size() != kBlockSize) {
        return false;
    }
    for (std::size_t i = 0; i < disk.size(); ++i) {
        if (disk[i] != newer[i] && (i >= older.size() || disk[i] != older[i])) {
            return false;
        }
    }
    return true;
}

// True when the file at `path` holding `head` is in the state `step` left it in: its new one,
// its old one (the save never reached the disk), or between the two (the header written, or
// partly written, before the rename).
bool Follows(const UndoStep& step, const std::u16string& path, const std::string& head) {
    if (SamePath(path, step.newPath) && head == step.newHead) {
        return true;
    }
    return SamePath(path, step.oldPath) &&
           (head == step.oldHead || OldNewOrMix(head, step.oldHead, step.newHead));
}

UndoStep StepOf(const ChangeRow& row, std::size_t number) {
    return {number,
            row.oldPath,
            row.newPath,
            row.oldHead,
            row.newHead,
            Utf8ToUtf16(row.oldHeight),
            Utf8ToUtf16(row.newHeight)};
}

}  // namespace

std::vector<PlanItem> UndoItems(const ChangeRecord& record) {
    std::vector<UndoTarget> histories;
    // Each path by the history whose file a row last left there (or found there).
    std::map<std::u16string, std::size_t> where;
    for (std::size_t i = 0; i < record.rows.size(); ++i) {
        const UndoStep step = StepOf(record.rows[i], record.rowNumbers[i]);
        const auto found = where.find(PathKey(step.oldPath));
        std::size_t h = histories.size();
        if (found != where.end() &&
            Follows(histories[found->second].steps.back(), step.oldPath, step.oldHead)) {
            h = found->second;
        } else {
            histories.emplace_back();  // another file, or one changed by something unrecorded
        }
        histories[h].steps.push_back(step);
        where[PathKey(step.oldPath)] = h;
        where[PathKey(step.newPath)] = h;
    }
    // Newest first, by each history's newest row.
    std::multimap<std::size_t, std::size_t, std::greater<std::size_t>> byNewest;
    for (std::size_t h = 0; h < histories.size(); ++h) {
        byNewest.emplace(histories[h].steps.back().row, h);
    }
    std::vector<PlanItem> items;
    for (const auto& entry : byNewest) {
        const UndoTarget& history = histories[entry.second];
        PlanItem item;
        item.row = entry.first;
        item.path = history.steps.back().newPath;
        item.undo = history;
        items.push_back(std::move(item));
    }
    return items;
}

std::vector<std::u16string> UndoPaths(const UndoTarget& undo) {
    std::vector<std::u16string> paths;
    const auto add = [&paths](const std::u16string& path) {
        for (const std::u16string& known : paths) {
            if (SamePath(known, path)) {
                return;
            }
        }
        paths.push_back(path);
    };
    for (std::size_t k = undo.steps.size(); k-- > 0;) {
        add(undo.steps[k].newPath);
        add(undo.steps[k].oldPath);
    }
    return paths;
}

bool HoldsHistoryState(const UndoTarget& undo, const std::u16string& path,
                       const std::string& head) {
    // Walked back newest row first: each row must find the file as the row after it left it.
    std::u16string p = path;
    std::string h = head;
    bool walked = true;
    for (std::size_t k = undo.steps.size(); walked && k-- > 0;) {
        walked = Follows(undo.steps[k], p, h);
        p = undo.steps[k].oldPath;
        h = undo.steps[k].oldHead;
    }
    if (walked) {
        return true;
    }
    const std::string& oldest = undo.steps.front().oldHead;
    for (const UndoStep& step : undo.steps) {
        if ((SamePath(path, step.newPath) && OldNewOrMix(head, oldest, step.newHead)) ||
            (SamePath(path, step.oldPath) &&
             (head == oldest || OldNewOrMix(head, oldest, step.oldHead)))) {
            return true;
        }
    }
    return false;
}

LoadError LoadWithHead(const std::string& oldHead, const std::u16string& path) {
    KeyScanner scanner;
    scanner.Feed(reinterpret_cast<const std::uint8_t*>(oldHead.data()), oldHead.size());
    // The keys are nearly always in the header; the rest of the file is read only when not.
    if (!scanner.AllFound()) {
        if (std::FILE* f = OpenForReading(path)) {
            std::vector<std::uint8_t> buffer(64 * 1024);
            if (std::fseek(f, static_cast<long>(kBlockSize), SEEK_SET) == 0) {
                std::size_t got = 0;
                while (!scanner.AllFound() &&
                       (got = std::fread(buffer.data(), 1, buffer.size(), f)) > 0) {
                    scanner.Feed(buffer.data(), got);
                }
            }
            const bool failed = std::ferror(f) != 0;
            std::fclose(f);
            if (failed) {
                return LoadError::kReadFailed;
            }
        }
    }
    scanner.Finish();
    return scanner.Result().error;
}

}  // namespace rawfile

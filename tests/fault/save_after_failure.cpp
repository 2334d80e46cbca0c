// Run under the fault shim. "write" (RVX_FAULT_WRITES): a header write that failed part way
// leaves the header in doubt, so typing the old values back saves them rather than being taken
// for "unchanged". "names" (RVX_FAULT_NOREPLACE=0: renames go by link and unlink): a rename
// left with both names, by a refused unlink or a kill between the two, is finished by the next
// save.
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "editing.h"
#include "raw_gen.h"
#include "text.h"

using namespace rawfile;

namespace {

int Fail(const char* what) {
    std::fprintf(stderr, "save_after_failure: %s\n", what);
    return 1;
}

int AfterFailedWrite(const rawgen::TempDir& dir) {
    const std::u16string path = dir.Path(u"ABCD0861.RVX");
    const rawgen::Bytes original = rawgen::StandardFile("1.500");
    rawgen::WriteFile(path, original);
    RawFileEditor editor;
    if (editor.Load(path) != LoadError::kNone) {
        return Fail("the file does not load");
    }
    if (editor.Save(u"ABCD", u"1.6").status != SaveStatus::kWriteFailed ||
        rawgen::ReadFile(path) == original) {
        return Fail("the first save is not a write torn part way");
    }
    unsetenv("RVX_FAULT_WRITES");
    const rawgen::Bytes back = rawgen::ReadFile(path);
    if (editor.Save(u"ABCD", u"1.500").status != SaveStatus::kSaved ||
        rawgen::ReadFile(path).find("AntHigh:1.500\r\n") == std::string::npos ||
        MillimetresInBlock(reinterpret_cast<const std::uint8_t*>(rawgen::ReadFile(path).data())) !=
            1500 ||
        back == rawgen::ReadFile(path)) {
        return Fail("the old values typed back were not written");
    }
    return 0;
}

int FinishesTwoNames(const rawgen::TempDir& dir) {
    const std::u16string oldPath = dir.Path(u"ABCD0861.RVX");
    const std::u16string newPath = dir.Path(u"EFGH0861.RVX");
    rawgen::WriteFile(oldPath, rawgen::StandardFile("1.500"));
    RawFileEditor editor;
    if (editor.Load(oldPath) != LoadError::kNone) {
        return Fail("the file does not load");
    }
    // Both names removals refused: the file is left with both, and says so.
    setenv("RVX_FAULT_UNLINK", "1", 1);
    const SaveOutcome half = editor.Save(u"EFGH", u"1.6");
    unsetenv("RVX_FAULT_UNLINK");
    if (half.status != SaveStatus::kRenameFailed || half.error.op != FileOp::kRenameHalf ||
        !rawgen::FileExists(oldPath) || !rawgen::FileExists(newPath)) {
        return Fail("the first save does not say the file has both names");
    }
    const SaveOutcome done = editor.Save(u"EFGH", u"1.6");
    if (done.status != SaveStatus::kSaved || rawgen::FileExists(oldPath) ||
        rawgen::ReadFile(newPath).find("AntHigh:1.600") == std::string::npos) {
        return Fail("the next save did not finish the rename");
    }
    // The same state left by a kill between link and unlink, met by a fresh load.
    if (link(Utf16ToUtf8(newPath).c_str(), Utf16ToUtf8(oldPath).c_str()) != 0) {
        return Fail("cannot make the second name");
    }
    RawFileEditor fresh;
    if (fresh.Load(oldPath) != LoadError::kNone ||
        fresh.Save(u"EFGH", u"1.6").status != SaveStatus::kSaved || rawgen::FileExists(oldPath) ||
        !rawgen::FileExists(newPath)) {
        return Fail("a fresh save did not finish the rename");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    rawgen::TempDir dir;
    if (argc == 2 && std::strcmp(argv[1], "write") == 0) {
        return AfterFailedWrite(dir);
    }
    if (argc == 2 && std::strcmp(argv[1], "names") == 0) {
        return FinishesTwoNames(dir);
    }
    return Fail("say write or names");
}

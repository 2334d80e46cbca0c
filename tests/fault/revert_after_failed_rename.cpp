// Run with every rename refused (the fault shim's RVX_FAULT_RENAMES): a save whose rename fails
// has saved its height, so typing the old values back and saving writes them, rather than being
// taken for "unchanged".
#include <cstdio>
#include <cstring>

#include "editing.h"
#include "raw_gen.h"

using namespace rawfile;

namespace {

int Fail(const char* what) {
    std::fprintf(stderr, "revert_after_failed_rename: %s\n", what);
    return 1;
}

std::int32_t Field(const std::u16string& path) {
    return MillimetresInBlock(reinterpret_cast<const std::uint8_t*>(rawgen::ReadFile(path).data()));
}

}  // namespace

int main() {
    rawgen::TempDir dir;
    const std::u16string path = dir.Path(u"ABCD0861.RVX");
    rawgen::WriteFile(path, rawgen::StandardFile("1.500"));
    RawFileEditor editor;
    if (editor.Load(path) != LoadError::kNone) {
        return Fail("the file does not load");
    }
    if (editor.Save(u"EFGH", u"1.6").status != SaveStatus::kRenameFailed || Field(path) != 1600) {
        return Fail("the first save is not 'height saved, rename failed'");
    }
    if (editor.Save(u"ABCD", u"1.500").status != SaveStatus::kSaved || Field(path) != 1500 ||
        rawgen::ReadFile(path).find("AntHigh:1.500") == std::string::npos) {
        return Fail("the old values typed back were not saved");
    }
    return 0;
}

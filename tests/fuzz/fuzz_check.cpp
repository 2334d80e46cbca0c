#include "fuzz_check.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "loader.h"
#include "numbers.h"
#include "raw_file_name.h"
#include "text.h"

namespace fuzzcheck {

using rawfile::kBlockSize;
using rawfile::kMillimetreOffset;
using rawfile::SavePlan;
using rawfile::SaveRefusal;

void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "invariant broken at %s:%d: %s\n", file, line, what);
    std::abort();
}

SavePlan SentinelPlan() {
    SavePlan p;
    p.pointName = u"\uFFFE-untouched";
    p.height.metres = -7.25f;
    p.height.text = "sentinel";
    p.height.millimetres = 0x5A5A5A5A;
    p.block.fill(0xA5);
    p.newPath = u"\uFFFE/untouched";
    return p;
}

namespace {

bool SamePlan(const SavePlan& a, const SavePlan& b) {
    return a.pointName == b.pointName && std::memcmp(&a.height.metres, &b.height.metres, 4) == 0 &&
           a.height.text == b.height.text && a.height.millimetres == b.height.millimetres &&
           a.block == b.block && a.newPath == b.newPath;
}

bool InMillimetreField(std::size_t i) {
    return i >= kMillimetreOffset && i < kMillimetreOffset + 4;
}

void CheckPointName(const std::u16string& typed, const SavePlan& plan,
                    const rawfile::LoadedFile& file) {
    const std::u16string& cut = plan.pointName;
    FUZZ_CHECK(rawfile::IsValidPointName(cut));
    FUZZ_CHECK(typed.compare(0, cut.size(), cut) == 0);
    const std::size_t want = typed.size() < 8 ? typed.size() : 8;
    // Only a surrogate pair across the 8th unit may make the name one unit shorter.
    FUZZ_CHECK(cut.size() == want || (cut.size() == 7 && typed[7] >= 0xD800 && typed[7] <= 0xDBFF));
    FUZZ_CHECK(plan.newPath == file.folder + cut + file.tail);
}

void CheckHeight(const std::u16string& typedText, const std::string& written,
                 const SavePlan& plan) {
    const std::int32_t mm = rawfile::MillimetresInBlock(plan.block.data());
    const float metres = rawfile::ScanLeadingFloat(written);
    FUZZ_CHECK(mm == std::llround(static_cast<double>(metres) * 1000.0));
    FUZZ_CHECK(mm == plan.height.millimetres);
    FUZZ_CHECK(metres == plan.height.metres);

    // The written height is the typed one to the nearest millimetre, within float precision.
    float typed = 0;
    FUZZ_CHECK(rawfile::ParseStrictFloat(typedText, &typed));
    const double slack = 0.0005 + std::fabs(static_cast<double>(typed)) * 1.2e-7;
    FUZZ_CHECK(std::fabs(static_cast<double>(metres) - static_cast<double>(typed)) <= slack);

    // A written height, typed again, writes the same again.
    rawfile::NormalisedHeight again;
    FUZZ_CHECK(rawfile::NormaliseHeight(rawfile::BytesToText(written), &again) ==
               SaveRefusal::kNone);
    FUZZ_CHECK(again.text == written && again.millimetres == mm);
}

// A block whose text ends before the millimetre field loads back to what it was made from.
void CheckReload(const rawfile::HeaderValues& values, const SavePlan& plan) {
    const rawfile::LoadResult r = rawfile::LoadRawHeaderFromBytes(plan.block.data(), kBlockSize);
    FUZZ_CHECK(r.error == rawfile::LoadError::kNone);
    const double version = rawfile::ScanLeadingDouble(rawfile::FormatFixed(values.version, 1));
    FUZZ_CHECK(std::memcmp(&r.values.version, &version, sizeof version) == 0);
    FUZZ_CHECK(r.values.receiverId == values.receiverId);
    FUZZ_CHECK(r.values.date == values.date);
    FUZZ_CHECK(r.values.model == values.model);
    FUZZ_CHECK(r.values.antHeight == plan.height.metres);
}

}  // namespace

void CheckPlan(const rawfile::LoadedFile& file, const std::u16string& pointName,
               const std::u16string& heightText, SaveRefusal refusal, const SavePlan& before,
               const SavePlan& plan) {
    if (refusal != SaveRefusal::kNone) {
        FUZZ_CHECK(refusal != SaveRefusal::kTargetExists);  // only the disk can tell
        FUZZ_CHECK(SamePlan(before, plan));
        return;
    }
    CheckPointName(pointName, plan, file);

    const std::string text = rawfile::ComposeHeaderText(file.values, plan.height.text);
    FUZZ_CHECK(text.size() < kBlockSize);
    for (std::size_t i = 0; i < kBlockSize; ++i) {
        const std::uint8_t want = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
        FUZZ_CHECK(InMillimetreField(i) || plan.block[i] == want);
    }
    const std::string line = "AntHigh:" + plan.height.text + "\r\n";
    FUZZ_CHECK(text.size() >= line.size() &&
               text.compare(text.size() - line.size(), line.size(), line) == 0);
    CheckHeight(heightText, plan.height.text, plan);
    if (text.size() <= kMillimetreOffset) {
        CheckReload(file.values, plan);
    }
}

}  // namespace fuzzcheck

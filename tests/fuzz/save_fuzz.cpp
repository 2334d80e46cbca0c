// Plans saves from arbitrary loaded values and field texts and checks every plan's block, and
// carries out accepted plans on a real file to check that nothing after byte 159 changes. The
// input's layout is in fuzz_check.h.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "file_ops.h"
#include "fuzz_check.h"
#include "header_block.h"
#include "loader.h"
#include "numbers.h"
#include "raw_file_name.h"
#include "save.h"
#include "text.h"

namespace {

namespace fs = std::filesystem;

using rawfile::kBlockSize;
using rawfile::kMillimetreOffset;
using rawfile::SavePlan;
using rawfile::SaveRefusal;

// A plan filled with values no real plan holds, to see whether a refusal touched it.
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

// Checks the outcome of PlanSave: a refusal left the plan as it was; an accepted plan holds
// exactly the composed text and the millimetre field of the height written, a point name that a
// file name can hold, and a block that loads back to the values it was made from.
void CheckPlan(const rawfile::LoadedFile& file, const std::u16string& pointName,
               const std::u16string& heightText, SaveRefusal refusal, const SavePlan& plan) {
    if (refusal != SaveRefusal::kNone) {
        FUZZ_CHECK(refusal != SaveRefusal::kTargetExists);  // only the disk can tell
        FUZZ_CHECK(SamePlan(SentinelPlan(), plan));
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

// A line as the loader would see it: it ends after its first LF or its 159th byte.
std::string AsLine(const std::string& key, const std::string& rest) {
    std::string line = key + rest;
    const std::size_t lf = line.find('\n');
    if (lf != std::string::npos) {
        line.resize(lf + 1);
    }
    if (line.size() > rawfile::kMaxLineBytes) {
        line.resize(rawfile::kMaxLineBytes);
    }
    return line;
}

std::u16string FieldText(const std::string& bytes, bool wide) {
    if (!wide) {
        return rawfile::BytesToText(bytes);
    }
    std::u16string out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        out.push_back(static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                            static_cast<std::uint8_t>(bytes[i + 1]) << 8));
    }
    return out;
}

// The version from the first 8 bytes of `bytes` taken as a double, zero-padded.
double RawDouble(const std::string& bytes) {
    char raw[sizeof(double)] = {};
    bytes.copy(raw, sizeof raw);
    double v = 0;
    std::memcpy(&v, raw, sizeof v);
    return v;
}

const fs::path& ScratchDir() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() /
                     ("rvx-fuzz-save-" + std::to_string(static_cast<long>(getpid())));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Saves to a real file holding `data` and checks the file afterwards.
void CheckOnDisk(const rawfile::LoadedFile& file, const rawfile::SavePlan& plan,
                 const std::string& data) {
    const fs::path source(rawfile::Utf16ToUtf8(file.path));
    {
        std::ofstream out(source, std::ios::binary | std::ios::trunc);
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
        FUZZ_CHECK(out.good());
    }
    rawfile::FileError error;
    FUZZ_CHECK(rawfile::WriteHeaderBlock(file.path, plan.block, &error));
    FUZZ_CHECK(rawfile::RenameNoReplace(file.path, plan.newPath, &error));
    const fs::path target(rawfile::Utf16ToUtf8(plan.newPath));
    const std::string after = ReadAll(target);
    FUZZ_CHECK(after.size() == (data.size() > 160 ? data.size() : 160));
    FUZZ_CHECK(after.compare(0, 160, reinterpret_cast<const char*>(plan.block.data()), 160) == 0);
    FUZZ_CHECK(data.size() <= 160 || after.compare(160, std::string::npos, data, 160) == 0);
    std::error_code ec;
    FUZZ_CHECK(fs::equivalent(target, source, ec) || !fs::exists(source));
    fs::remove(target, ec);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t flags = data[0];
    std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string field[6];  // version, serial, date, model, point name, height
    for (std::string& f : field) {
        const std::size_t end = rest.find(fuzzcheck::kFieldEnd);
        f = rest.substr(0, end);
        rest.erase(0, end == std::string::npos ? end : end + 1);
    }

    rawfile::LoadedFile file;
    file.folder = rawfile::Utf8ToUtf16(ScratchDir().string() + "/");
    file.tail = u"0861.RVX";
    file.path = file.folder + u"SRC_" + file.tail;
    rawfile::HeaderValues& v = file.values;
    v.version = (flags & fuzzcheck::kRawVersion) != 0
                    ? RawDouble(field[0])
                    : rawfile::VersionFromLine(AsLine("ver", field[0]));
    v.receiverId = rawfile::ReceiverIdFromLine(AsLine("ReceiverID:", field[1]));
    v.date = rawfile::DateFromLine(AsLine("Date:", field[2])).value_or(std::string());
    if (!(flags & fuzzcheck::kNoModel)) {
        v.model = rawfile::ModelFromLine(AsLine("Model:", field[3]));
    }
    const std::u16string pointName = FieldText(field[4], (flags & fuzzcheck::kPointWide) != 0);
    const std::u16string height = FieldText(field[5], (flags & fuzzcheck::kHeightWide) != 0);
    rawfile::SavePlan plan = SentinelPlan();
    const rawfile::SaveRefusal refusal = rawfile::PlanSave(file, pointName, height, &plan);
    CheckPlan(file, pointName, height, refusal, plan);
    if (refusal == rawfile::SaveRefusal::kNone) {
        CheckOnDisk(file, plan, rest);
    }
    return 0;
}

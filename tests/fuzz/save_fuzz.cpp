// Plans saves from arbitrary loaded values and field texts and checks every plan's block, and
// carries out accepted plans on a real file to check that nothing after byte 159 changes. The
// input's layout is in fuzz_check.h.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz_check.h"
#include "header_block.h"
#include "save.h"
#include "text.h"

namespace {

namespace fs = std::filesystem;

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
    const rawfile::SaveOutcome outcome = rawfile::CarryOutSave(file.path, plan);
    FUZZ_CHECK(outcome.status == rawfile::SaveStatus::kSaved);
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
    const rawfile::SavePlan before = fuzzcheck::SentinelPlan();
    rawfile::SavePlan plan = before;
    const rawfile::SaveRefusal refusal = rawfile::PlanSave(file, pointName, height, &plan);
    fuzzcheck::CheckPlan(file, pointName, height, refusal, before, plan);
    if (refusal == rawfile::SaveRefusal::kNone) {
        CheckOnDisk(file, plan, rest);
    }
    return 0;
}

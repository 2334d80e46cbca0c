// The two fuzz targets, each built from this file (RVX_FUZZ_SAVE 0 or 1):
// - fuzz_load loads arbitrary bytes from memory, from a file, and fed in pieces of random size,
//   and checks that all three agree with five separate line-by-line key searches (fgets of at
//   most 159 bytes, from the start of the file for each key) and that the values obey the
//   header rules;
// - fuzz_save plans saves from arbitrary loaded values and field texts, checks every accepted
//   plan's block, and carries it out on a real file to check that nothing after byte 159
//   changes. Its input is a flags byte, then the version, serial, date and model texts (each
//   what follows its key), the point name and the height, each ended by kFieldEnd, then the
//   receiver bytes.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "file_ops.h"
#include "loader.h"
#include "numbers.h"
#include "raw_file_name.h"
#include "save.h"
#include "text.h"

// An invariant check that prints what broke and aborts, so that libFuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                                           \
    ((cond) ? (void)0                                                                              \
            : (std::fprintf(stderr, "invariant broken at %s:%d: %s\n", __FILE__, __LINE__, #cond), \
               std::abort()))

namespace {

namespace fs = std::filesystem;
using rawfile::kBlockSize;
using rawfile::LoadResult;
using rawfile::SavePlan;

constexpr char kFieldEnd = '\x1f';
enum SaveFlags : std::uint8_t {
    kNoModel = 1,
    kPointWide = 2,   // the point name as UTF-16LE pairs, else one byte a character
    kHeightWide = 4,  // likewise the height
    kRawVersion = 8,  // the version text's first 8 bytes are the version as a raw double
};

// A scratch folder of this process under TMPDIR (scripts/fuzz.sh points it at one it removes).
const std::string& Scratch() {
    static const std::string folder = [] {
        const fs::path p = fs::temp_directory_path() / ("rvx-fuzz-" + std::to_string(getpid()));
        fs::create_directories(p);
        return p.string() + "/";
    }();
    return folder;
}

// The loader's reference: for each key, a search of `stream` from its start for a line that
// starts with the key, reading lines of at most 159 bytes (fgets into 160).
LoadResult LoadKeyByKey(std::FILE* stream) {
    std::string lines[rawfile::kKeyCount];
    std::string_view views[rawfile::kKeyCount];
    const std::string_view* found[rawfile::kKeyCount] = {};
    for (std::size_t k = 0; k < rawfile::kKeyCount; ++k) {
        std::rewind(stream);
        char line[rawfile::kBlockSize] = {};
        const char* key = rawfile::kKeys[k];
        while (found[k] == nullptr &&
               std::fgets(line, static_cast<int>(rawfile::kBlockSize), stream) != nullptr) {
            found[k] = std::strncmp(line, key, std::strlen(key)) == 0
                           ? &(views[k] = lines[k] = line)
                           : nullptr;
        }
    }
    return rawfile::ResultFromKeyLines(found);
}

// True when both loads give the same error and bit for bit the same values.
bool SameResult(const LoadResult& a, const LoadResult& b) {
    return a.error == b.error &&
           std::memcmp(&a.values.version, &b.values.version, sizeof(double)) == 0 &&
           a.values.receiverId == b.values.receiverId && a.values.date == b.values.date &&
           a.values.model == b.values.model &&
           std::memcmp(&a.values.antHeight, &b.values.antHeight, sizeof(float)) == 0;
}

void CheckValues(const rawfile::HeaderValues& v) {
    FUZZ_CHECK(v.receiverId.size() <= rawfile::kMaxSerialChars);
    for (char c : v.receiverId) {
        FUZZ_CHECK((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
    }
    FUZZ_CHECK(v.date.size() <= rawfile::kMaxDateValueBytes);
    FUZZ_CHECK(v.date.find('\0') == std::string::npos);
    FUZZ_CHECK(v.model.size() <= rawfile::kMaxLineBytes);
    FUZZ_CHECK(v.model.empty() || v.model.compare(0, 6, rawfile::kKeyModel) == 0);
    FUZZ_CHECK(v.model.find('\0') == std::string::npos);
}

// Feeds the bytes in pieces of 1 to 400 bytes, the sizes drawn from a generator seeded by the
// input itself so that every run of the same input cuts it the same way.
LoadResult LoadInPieces(const std::uint8_t* data, std::size_t size) {
    std::uint32_t state = 2166136261u ^ static_cast<std::uint32_t>(size);
    for (std::size_t i = 0; i < size && i < 32; ++i) {
        state = (state ^ data[i]) * 16777619u;
    }
    rawfile::KeyScanner scanner;
    std::size_t pos = 0;
    while (pos < size) {
        state = state * 1664525u + 1013904223u;
        const std::size_t piece = std::min<std::size_t>(1 + (state >> 8) % 400, size - pos);
        scanner.Feed(data + pos, piece);
        pos += piece;
    }
    scanner.Finish();
    return scanner.Result();
}

// The cut point name: a prefix of the typed one that a file name can hold, 8 units long unless
// that would split a surrogate pair, and the new path made of it.
void CheckPointName(const std::u16string& typed, const SavePlan& plan,
                    const rawfile::LoadedFile& file) {
    const std::u16string& cut = plan.pointName;
    FUZZ_CHECK(rawfile::IsValidPointName(cut) || cut == file.pointName);
    FUZZ_CHECK(typed.compare(0, cut.size(), cut) == 0);
    const std::size_t want = typed.size() < 8 ? typed.size() : 8;
    FUZZ_CHECK(cut.size() == want || (cut.size() == 7 && typed[7] >= 0xD800 && typed[7] <= 0xDBFF));
    FUZZ_CHECK(plan.newPath == file.folder + cut + file.tail);
}

// The block holds exactly the composed text with the height written last, and the millimetre
// field of that height; the height is the typed one to the millimetre, and typing it again
// writes the same; a text that ends before the field loads back to what it was made from.
void CheckBlock(const rawfile::HeaderValues& values, const std::u16string& typedText,
                const SavePlan& plan) {
    const std::string text = rawfile::ComposeHeaderText(values, plan.height.text);
    FUZZ_CHECK(text.size() < kBlockSize);
    for (std::size_t i = 0; i < kBlockSize; ++i) {
        const bool field = i >= rawfile::kMillimetreOffset && i < rawfile::kMillimetreOffset + 4;
        FUZZ_CHECK(field || plan.block[i] == (i < text.size() ? std::uint8_t(text[i]) : 0));
    }
    const std::string line = "AntHigh:" + plan.height.text + "\r\n";
    FUZZ_CHECK(text.size() >= line.size() && text.substr(text.size() - line.size()) == line);

    const std::int32_t mm = rawfile::MillimetresInBlock(plan.block.data());
    const float metres = rawfile::ScanLeadingFloat(plan.height.text);
    FUZZ_CHECK(mm == std::llround(static_cast<double>(metres) * 1000.0));
    FUZZ_CHECK(mm == plan.height.millimetres && metres == plan.height.metres);
    float typed = 0;
    FUZZ_CHECK(rawfile::ParseStrictFloat(typedText, &typed));
    FUZZ_CHECK(std::fabs(double(metres) - double(typed)) <= 0.0005 + std::fabs(typed) * 1.2e-7);
    rawfile::NormalisedHeight again;
    FUZZ_CHECK(rawfile::NormaliseHeight(rawfile::BytesToText(plan.height.text), &again) ==
               rawfile::SaveRefusal::kNone);
    FUZZ_CHECK(again.text == plan.height.text && again.millimetres == mm);

    if (text.size() <= rawfile::kMillimetreOffset) {
        const rawfile::LoadResult r =
            rawfile::LoadRawHeaderFromBytes(plan.block.data(), kBlockSize);
        const double version = rawfile::ScanLeadingDouble(rawfile::FormatFixed(values.version, 1));
        FUZZ_CHECK(r.error == rawfile::LoadError::kNone);
        FUZZ_CHECK(std::memcmp(&r.values.version, &version, sizeof version) == 0);
        FUZZ_CHECK(r.values.receiverId == values.receiverId && r.values.date == values.date &&
                   r.values.model == values.model && r.values.antHeight == metres);
    }
}

// Writes `data` to the plan's source file, carries the plan out, and checks the result.
void CheckOnDisk(const rawfile::LoadedFile& file, const SavePlan& plan, const std::string& data) {
    const fs::path source(rawfile::Utf16ToUtf8(file.path));
    std::ofstream(source, std::ios::binary | std::ios::trunc) << data;
    rawfile::HeldFile held;
    rawfile::FileError error;
    FUZZ_CHECK(held.Open(file.path, &error) && held.WriteHead(plan.block, &error) &&
               held.Rename(plan.newPath, &error));
    held.Close();
    const fs::path target(rawfile::Utf16ToUtf8(plan.newPath));
    std::ifstream in(target, std::ios::binary);
    const std::string after{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    FUZZ_CHECK(after.size() == (data.size() > kBlockSize ? data.size() : kBlockSize));
    FUZZ_CHECK(after.compare(0, kBlockSize, reinterpret_cast<const char*>(plan.block.data()),
                             kBlockSize) == 0);
    FUZZ_CHECK(data.size() <= kBlockSize ||
               after.compare(kBlockSize, std::string::npos, data, kBlockSize) == 0);
    fs::remove(target);
}

// A line as the loader would see it: it ends after its first LF or its 159th byte.
std::string AsLine(const std::string& key, const std::string& rest) {
    const std::string line = key + rest;
    const std::size_t lf = line.find('\n');
    return line.substr(0, std::min(lf == std::string::npos ? lf : lf + 1, rawfile::kMaxLineBytes));
}

// Field bytes as text: one byte a character, or UTF-16LE pairs.
std::u16string FieldText(const std::string& bytes, bool wide) {
    if (!wide) {
        return rawfile::BytesToText(bytes);
    }
    std::u16string out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        out.push_back(
            static_cast<char16_t>(std::uint8_t(bytes[i]) | std::uint8_t(bytes[i + 1]) << 8));
    }
    return out;
}

int FuzzLoad(const std::uint8_t* data, std::size_t size) {
    const LoadResult fromMemory = rawfile::LoadRawHeaderFromBytes(data, size);
    FUZZ_CHECK(SameResult(fromMemory, LoadInPieces(data, size)));

    std::FILE* out = std::fopen((Scratch() + "LOAD.RVX").c_str(), "wb");
    FUZZ_CHECK(out != nullptr);
    FUZZ_CHECK(std::fwrite(data, 1, size, out) == size);
    FUZZ_CHECK(std::fclose(out) == 0);
    const std::u16string path = rawfile::Utf8ToUtf16(Scratch() + "LOAD.RVX");
    FUZZ_CHECK(SameResult(fromMemory, rawfile::LoadRawHeader(path)));
    std::FILE* in = rawfile::OpenForReading(path);
    FUZZ_CHECK(in != nullptr);
    FUZZ_CHECK(SameResult(fromMemory, LoadKeyByKey(in)));
    std::fclose(in);

    if (fromMemory.error == rawfile::LoadError::kNone) {
        CheckValues(fromMemory.values);
    }
    return 0;
}

int FuzzSave(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t flags = data[0];
    std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string field[6];  // version, serial, date, model, point name, height
    for (std::string& f : field) {
        const std::size_t end = rest.find(kFieldEnd);
        f = rest.substr(0, end);
        rest.erase(0, end == std::string::npos ? end : end + 1);
    }
    rawfile::LoadedFile file;
    file.folder = rawfile::Utf8ToUtf16(Scratch());
    file.pointName = u"SRC_";
    file.tail = u"0861.RVX";
    file.path = file.folder + file.pointName + file.tail;
    rawfile::HeaderValues& v = file.values;
    if (flags & kRawVersion) {
        std::memcpy(&v.version, field[0].append(8, '\0').data(), sizeof v.version);
    } else {
        v.version = rawfile::VersionFromLine(AsLine("ver", field[0]));
    }
    v.receiverId = rawfile::ReceiverIdFromLine(AsLine("ReceiverID:", field[1]));
    v.date = rawfile::DateFromLine(AsLine("Date:", field[2])).value_or(std::string());
    if (!(flags & kNoModel)) {
        v.model = rawfile::ModelFromLine(AsLine("Model:", field[3]));
    }
    const std::u16string pointName = FieldText(field[4], (flags & kPointWide) != 0);
    const std::u16string height = FieldText(field[5], (flags & kHeightWide) != 0);
    SavePlan plan;
    if (rawfile::PlanSave(file, pointName, height, &plan) == rawfile::SaveRefusal::kNone) {
        CheckPointName(pointName, plan, file);
        CheckBlock(file.values, height, plan);
        CheckOnDisk(file, plan, rest);
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return (RVX_FUZZ_SAVE ? FuzzSave : FuzzLoad)(data, size);
}

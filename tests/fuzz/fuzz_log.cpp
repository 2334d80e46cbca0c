// fuzz_log reads arbitrary bytes as a field log, the way both programs read one, and checks what
// the reader promises whatever the bytes: every height it accepts is one a save can write (a
// finite number in range, written with three decimals), no more rows than the bytes have line
// ends plus one, and rows in order.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "log_reader.h"
#include "save.h"
#include "text.h"

#define FUZZ_CHECK(cond)                                                                           \
    ((cond) ? (void)0                                                                              \
            : (std::fprintf(stderr, "invariant broken at %s:%d: %s\n", __FILE__, __LINE__, #cond), \
               std::abort()))

namespace {

// The scratch log, under TMPDIR, one a process.
const std::string& LogPath() {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir != nullptr ? dir : "/tmp") + "/fuzz_log_" +
               std::to_string(getpid()) + ".csv";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(LogPath(), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const rawfile::FieldLog log =
        rawfile::ReadFieldLog(rawfile::Utf8ToUtf16(LogPath()), rawfile::TextEncoding::kAuto, 0.003);
    std::size_t lineEnds = 0;
    for (const char c : bytes) {
        lineEnds += c == '\n' || c == '\r' ? 1 : 0;
    }
    FUZZ_CHECK(log.rows.size() <= lineEnds + 1);
    FUZZ_CHECK(log.problem == rawfile::LogProblem::kNone || log.rows.empty() ||
               log.problem == rawfile::LogProblem::kNoRows);
    std::size_t last = 1;  // the column names
    for (const rawfile::LogRow& row : log.rows) {
        FUZZ_CHECK(row.number > last && row.number <= lineEnds + 1);
        last = row.number;
        if (row.problem.kind != rawfile::LogRowProblem::kNone || !row.height) {
            continue;
        }
        rawfile::NormalisedHeight height;
        FUZZ_CHECK(rawfile::NormaliseHeight(*row.height, &height) == rawfile::SaveRefusal::kNone);
        FUZZ_CHECK(std::isfinite(height.metres));
    }
    return 0;
}

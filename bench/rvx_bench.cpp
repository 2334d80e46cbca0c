// Prints how long loading and saving take next to what the machine allows: a load of a large
// file without a "Model:" line (read to its end) against a plain read loop over the same file,
// and a save on a small and on a huge file (a save writes 160 bytes and never reads the data).
// Usage: rvx_bench <scratch folder> [load file MiB, default 256] [huge file MiB, default 1024]
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench_files.h"
#include "editing.h"
#include "loader.h"
#include "raw_gen.h"
#include "text.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

[[noreturn]] void Die(const std::string& what) {
    std::fprintf(stderr, "rvx_bench: %s\n", what.c_str());
    std::exit(1);
}

// A plain sequential read of the whole file through the same 64 KiB buffer size the loader
// uses; returns the byte count so that the read cannot be optimised away.
std::uint64_t PlainRead(const std::string& path) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        Die("cannot open " + path);
    }
    const std::unique_ptr<char[]> buffer(new char[64 * 1024]);
    std::uint64_t total = 0;
    std::size_t n;
    while ((n = std::fread(buffer.get(), 1, 64 * 1024, in)) > 0) {
        total += n;
    }
    std::fclose(in);
    return total;
}

// Drops the file's pages from the page cache, so that the next read comes from the disk. False
// where that cannot be done (under Wine).
bool Evict(const std::string& path) {
#ifdef _WIN32
    (void)path;
    return false;
#else
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        return false;
    }
    const bool ok = fdatasync(fd) == 0 && posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    close(fd);
    return ok;
#endif
}

std::vector<std::string> LinesWithoutModel() {
    std::vector<std::string> lines;
    for (const auto& l : rawgen::StandardLines()) {
        if (l.rfind("Model:", 0) != 0) {
            lines.push_back(l);
        }
    }
    return lines;
}

void BenchLoad(const std::string& folder, std::uint64_t mib) {
    const std::string path = folder + "NOMODEL0861.RVX";
    if (!bench::WriteRawFile(path, LinesWithoutModel(), mib << 20)) {
        Die("cannot write " + path);
    }
    const std::u16string wpath = rawfile::Utf8ToUtf16(path);
    PlainRead(path);  // once into the page cache, so both sides read from memory
    std::vector<double> read;
    std::vector<double> load;
    for (int run = 0; run < 5; ++run) {
        auto t = Clock::now();
        if (PlainRead(path) != mib << 20) {
            Die("short read of " + path);
        }
        read.push_back(Seconds(t));
        t = Clock::now();
        const rawfile::LoadResult r = rawfile::LoadRawHeader(wpath);
        load.push_back(Seconds(t));
        if (r.error != rawfile::LoadError::kNone || !r.values.model.empty()) {
            Die("the load of " + path + " did not go as expected");
        }
    }
    // The same from the disk, where the page cache can be emptied for the file.
    std::vector<double> coldRead;
    std::vector<double> coldLoad;
    for (int run = 0; run < 3 && Evict(path); ++run) {
        auto t = Clock::now();
        PlainRead(path);
        coldRead.push_back(Seconds(t));
        Evict(path);
        t = Clock::now();
        rawfile::LoadRawHeader(wpath);
        coldLoad.push_back(Seconds(t));
    }
    std::remove(path.c_str());
    const double mb = static_cast<double>(mib);
    std::printf(
        "1. load of a %llu MiB file without a \"Model:\" line (in the page cache; median of 5)\n",
        static_cast<unsigned long long>(mib));
    std::printf("   plain read loop  %9.1f ms  %7.0f MiB/s\n", Median(read) * 1e3,
                mb / Median(read));
    std::printf("   load             %9.1f ms  %7.0f MiB/s\n", Median(load) * 1e3,
                mb / Median(load));
    std::printf("   ratio load/read  %9.2f\n", Median(load) / Median(read));
    if (!coldRead.empty()) {
        std::printf("   from the disk (file dropped from the page cache; median of %zu)\n",
                    coldRead.size());
        std::printf("   plain read loop  %9.1f ms  %7.0f MiB/s\n", Median(coldRead) * 1e3,
                    mb / Median(coldRead));
        std::printf("   load             %9.1f ms  %7.0f MiB/s\n", Median(coldLoad) * 1e3,
                    mb / Median(coldLoad));
        std::printf("   ratio load/read  %9.2f\n", Median(coldLoad) / Median(coldRead));
    }
}

// A file that is saved again and again under two names in turn.
struct SavedFile {
    rawfile::RawFileEditor editor;
    int saves = 0;
};

double SaveOnce(SavedFile* f) {
    static const char16_t* const kNames[] = {u"BENCHA", u"BENCHB"};
    static const char16_t* const kHeights[] = {u"1.600", u"1.750"};
    const auto t = Clock::now();
    const rawfile::SaveOutcome out = f->editor.Save(kNames[f->saves % 2], kHeights[f->saves % 2]);
    const double s = Seconds(t);
    if (out.status != rawfile::SaveStatus::kSaved) {
        Die("a save failed: " + rawfile::Utf16ToUtf8(out.error.reason));
    }
    ++f->saves;
    return s;
}

// A raw file named START<tail> in `folder`.
SavedFile MakeSaved(const std::string& folder, const std::string& tail, std::uint64_t size) {
    const std::string path = folder + "START" + tail;
    if (!bench::WriteRawFile(path, rawgen::StandardLines(), size)) {
        Die("cannot write " + path + " (is there room on the disk?)");
    }
    SavedFile f;
    if (f.editor.Load(rawfile::Utf8ToUtf16(path)) != rawfile::LoadError::kNone) {
        Die("cannot load " + path);
    }
    return f;
}

void BenchSave(const std::string& folder, std::uint64_t hugeMib) {
    SavedFile a = MakeSaved(folder, "0861.RVX", 1024);
    SavedFile b = MakeSaved(folder, "0862.RVX", hugeMib << 20);
    const std::string hugePath = rawfile::Utf16ToUtf8(b.editor.Path());
    const std::uint64_t tailAt = (hugeMib << 20) - (1 << 20);
    const std::string headBefore = bench::ReadPart(hugePath, 160, 1 << 20);
    const std::string tailBefore = bench::ReadPart(hugePath, tailAt, 1 << 20);
    std::vector<double> ta;
    std::vector<double> tb;
    for (int i = 0; i < 5; ++i) {  // warm up
        SaveOnce(&a);
        SaveOnce(&b);
    }
    for (int i = 0; i < 51; ++i) {
        ta.push_back(SaveOnce(&a));
        tb.push_back(SaveOnce(&b));
    }
    const std::string hugeAfter = rawfile::Utf16ToUtf8(b.editor.Path());
    const bool kept = bench::ReadPart(hugeAfter, 160, 1 << 20) == headBefore &&
                      bench::ReadPart(hugeAfter, tailAt, 1 << 20) == tailBefore;
    std::remove(rawfile::Utf16ToUtf8(a.editor.Path()).c_str());
    std::remove(hugeAfter.c_str());
    std::printf("2. save (rewrite 160 bytes and rename; median of 51)\n");
    std::printf("   1 KiB file       %9.1f us\n", Median(ta) * 1e6);
    std::printf("   %llu MiB file  %9.1f us\n", static_cast<unsigned long long>(hugeMib),
                Median(tb) * 1e6);
    std::printf("   ratio huge/small %9.2f\n", Median(tb) / Median(ta));
    std::printf("   data after byte 159 of the huge file unchanged: %s\n", kept ? "yes" : "NO");
    if (!kept) {
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <scratch folder> [load MiB] [huge file MiB]\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    if (folder.back() != '/' && folder.back() != '\\') {
        folder += '/';
    }
    const std::uint64_t loadMib = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 256;
    const std::uint64_t hugeMib = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1024;
    if (loadMib == 0 || hugeMib == 0) {
        Die("sizes are whole MiB, at least 1");
    }
    BenchLoad(folder, loadMib);
    BenchSave(folder, hugeMib);
    return 0;
}

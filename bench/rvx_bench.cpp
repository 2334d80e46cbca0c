// Prints how long loading and saving take next to what the machine allows: a load of a large
// file without a "Model:" line (read to its end) against a plain read loop over the same file,
// for text-like and for binary receiver data, and a save on a small and on a huge file (a save
// writes 160 bytes and never reads the data). Ends with the ratios, one a line.
// Natively also a durable save against the plain system calls doing the same, and (given the
// path of rvxedit) a field log of 10,000 files against the cheapest correct plain loop, a dry
// run of 20,000 files against a plain loop that reads each header, and the peak memory of a
// dry run of 100,000 rows.
// Usage: rvx_bench <scratch folder> [load file MiB, default 256] [huge file MiB, default 1024]
//        [rvxedit]
#ifndef _WIN32
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
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

// The ratios printed last, one a line, as "ratio <name> <value>".
std::vector<std::pair<std::string, double>> g_summary;

void Summarise(const std::string& name, double ratio) {
    g_summary.emplace_back(name, ratio);
}

// One line of timings: the median, its throughput, and the fastest and slowest run.
void PrintTimes(const char* what, const std::vector<double>& seconds, double mib) {
    const auto [low, high] = std::minmax_element(seconds.begin(), seconds.end());
    if (mib <= 0) {
        std::printf("   %-16s %9.3f ms  (runs %.3f to %.3f ms)\n", what, Median(seconds) * 1e3,
                    *low * 1e3, *high * 1e3);
        return;
    }
    std::printf("   %-16s %9.1f ms  %7.0f MiB/s  (runs %.1f to %.1f ms)\n", what,
                Median(seconds) * 1e3, mib / Median(seconds), *low * 1e3, *high * 1e3);
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

// A load of a file without a "Model:" line, which must be read to its end, against a plain read
// of the same file: from the page cache and, when `fromDisk`, from the disk too.
void BenchLoad(const std::string& folder, std::uint64_t mib, bench::Data data, bool fromDisk) {
    const bool text = data == bench::Data::kText;
    const std::string path = folder + "NOMODEL0861.RVX";
    if (!bench::WriteRawFile(path, LinesWithoutModel(), mib << 20, data)) {
        Die("cannot write " + path);
    }
    const std::u16string wpath = rawfile::Utf8ToUtf16(path);
    PlainRead(path);  // once into the page cache, so both sides read from memory
    std::vector<double> read;
    std::vector<double> load;
    for (int run = 0; run < 9; ++run) {
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
    for (int run = 0; run < 9 && fromDisk && Evict(path); ++run) {
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
    const char* shape = text ? "text" : "binary";
    std::printf("1%s. load of a %llu MiB file without a \"Model:\" line, %s\n", text ? "a" : "b",
                static_cast<unsigned long long>(mib),
                text ? "text-like receiver data (lines of about 64 bytes)"
                     : "binary receiver data (random bytes, most lines cut at 159 bytes)");
    std::printf("   from the page cache (median of %zu)\n", read.size());
    PrintTimes("plain read loop", read, mb);
    PrintTimes("load", load, mb);
    std::printf("   ratio load/read  %9.2f\n", Median(load) / Median(read));
    Summarise(std::string("load-cache-") + shape, Median(load) / Median(read));
    if (!coldRead.empty()) {
        std::printf("   from the disk (file dropped from the page cache; median of %zu)\n",
                    coldRead.size());
        PrintTimes("plain read loop", coldRead, mb);
        PrintTimes("load", coldLoad, mb);
        std::printf("   ratio load/read  %9.2f\n", Median(coldLoad) / Median(coldRead));
        Summarise(std::string("load-disk-") + shape, Median(coldLoad) / Median(coldRead));
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
    Summarise("save", Median(tb) / Median(ta));
    std::printf("   data after byte 159 of the huge file unchanged: %s\n", kept ? "yes" : "NO");
    if (!kept) {
        std::exit(1);
    }
}

#ifndef _WIN32
// The durable work of one save done plainly: open, read the first 160 bytes, write them back,
// flush the data, rename without replacing, flush the folder.
double PlainDurableSave(const std::string& folder, const std::string& from, const std::string& to) {
    const auto t = Clock::now();
    const int fd = open((folder + from).c_str(), O_RDWR | O_CLOEXEC);
    char head[160];
    // A byte of the padding changes, so that the write, like a save's, changes the file.
    const bool read = fd >= 0 && pread(fd, head, sizeof head, 0) == 160;
    head[159] = static_cast<char>(head[159] ^ 1);
    if (!read || pwrite(fd, head, 160, 0) != 160 || fdatasync(fd) != 0 ||
        renameat2(AT_FDCWD, (folder + from).c_str(), AT_FDCWD, (folder + to).c_str(),
                  RENAME_NOREPLACE) != 0) {
        Die("the plain durable save failed");
    }
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0 || fsync(dir) != 0) {
        Die("the folder flush failed");
    }
    close(dir);
    close(fd);
    return Seconds(t);
}

void BenchDurableSave(const std::string& folder) {
    SavedFile a = MakeSaved(folder, "0871.RVX", 20 << 10);
    const std::string plainPath = folder + "PLAINA0872.RVX";
    if (!bench::WriteRawFile(plainPath, rawgen::StandardLines(), 20 << 10)) {
        Die("cannot write " + plainPath);
    }
    std::vector<double> core;
    std::vector<double> plain;
    for (int i = 0; i < 41; ++i) {
        core.push_back(SaveOnce(&a));
        plain.push_back(i % 2 == 0 ? PlainDurableSave(folder, "PLAINA0872.RVX", "PLAINB0872.RVX")
                                   : PlainDurableSave(folder, "PLAINB0872.RVX", "PLAINA0872.RVX"));
    }
    std::remove(rawfile::Utf16ToUtf8(a.editor.Path()).c_str());
    std::remove((folder + "PLAINB0872.RVX").c_str());
    std::printf("3. durable save of a 20 KiB file (median of 41)\n");
    PrintTimes("plain sequence", plain, 0);
    PrintTimes("the core's save", core, 0);
    std::printf("   ratio core/plain %9.2f\n", Median(core) / Median(plain));
    Summarise("save-durable", Median(core) / Median(plain));
}

// `files` files of `size` bytes and a field log that renames each and changes its height, on
// the disk.
void MakeBatch(const std::string& folder, std::size_t files, std::uint64_t size = 20 << 10) {
    if (!bench::WriteBatch(folder, files, size)) {
        Die("cannot write the batch's files (is there room on the disk?)");
    }
    sync();
}

// The cheapest correct plain loop: every header written, all flushed, all renamed, the folder
// flushed once.
double PlainBatch(const std::string& folder, std::size_t files) {
    const auto t = Clock::now();
    std::vector<int> fds;
    for (std::size_t i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "R%06zu0861.RVX", i);
        const int fd = open((folder + name).c_str(), O_RDWR | O_CLOEXEC);
        char head[160];
        if (fd < 0 || pread(fd, head, 160, 0) != 160 || pwrite(fd, head, 160, 0) != 160) {
            Die("the plain batch failed");
        }
        fds.push_back(fd);
    }
    for (std::size_t i = 0; i < files; ++i) {
        char from[32];
        char to[32];
        std::snprintf(from, sizeof from, "R%06zu0861.RVX", i);
        std::snprintf(to, sizeof to, "S%06zu0861.RVX", i);
        if (fdatasync(fds[i]) != 0 || renameat2(AT_FDCWD, (folder + from).c_str(), AT_FDCWD,
                                                (folder + to).c_str(), RENAME_NOREPLACE) != 0) {
            Die("the plain batch failed");
        }
        close(fds[i]);
    }
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0 || fsync(dir) != 0) {
        Die("the folder flush failed");
    }
    close(dir);
    return Seconds(t);
}

// Runs `rvxedit apply log.csv` (with `dryRun`, --dry-run) in `folder`, its output thrown away;
// returns the seconds it took and sets *peakKib to its peak resident memory.
double ToolBatch(const std::string& folder, const std::string& rvxedit, bool dryRun = false,
                 long* peakKib = nullptr) {
    // What is printed so far must not be printed again by the child's stdout.
    std::fflush(stdout);
    const auto t = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        if (freopen("/dev/null", "w", stdout) == nullptr || chdir(folder.c_str()) != 0) {
            _exit(126);
        }
        execl(rvxedit.c_str(), rvxedit.c_str(), "apply", dryRun ? "--dry-run" : "log.csv",
              dryRun ? "log.csv" : nullptr, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        Die("rvxedit apply failed in the batch benchmark (status " + std::to_string(status) + ")");
    }
    if (peakKib != nullptr) {
        *peakKib = usage.ru_maxrss;
    }
    return Seconds(t);
}

// What a dry run cannot do with less: open each file, look at it, read its header, close it.
double PlainHeaders(const std::string& folder, std::size_t files) {
    const auto t = Clock::now();
    for (std::size_t i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "R%06zu0861.RVX", i);
        const int fd = open((folder + name).c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st;
        char head[160];
        if (fd < 0 || fstat(fd, &st) != 0 || read(fd, head, 160) != 160) {
            Die("the plain header loop failed");
        }
        close(fd);
    }
    return Seconds(t);
}

// The system calls the dry run's check of a file makes, and nothing else: the open for writing
// (the check that it may be written), its identity, the hold, the header read, the close.
double PlainCheckCalls(const std::string& folder, std::size_t files) {
    const auto t = Clock::now();
    for (std::size_t i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "R%06zu0861.RVX", i);
        const int fd = open((folder + name).c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        struct stat st;
        char head[512];
        if (fd < 0 || fstat(fd, &st) != 0 || flock(fd, LOCK_EX | LOCK_NB) != 0 ||
            pread(fd, head, sizeof head, 0) != static_cast<ssize_t>(sizeof head)) {
            Die("the plain check loop failed");
        }
        close(fd);
    }
    return Seconds(t);
}

// A dry run of 20,000 files of 20 KiB in the page cache against the plain header loop, taken
// in turns; beside them the check's own system calls alone.
void BenchDryRun(const std::string& scratch, const std::string& rvxedit) {
    constexpr std::size_t kFiles = 20000;
    const std::string folder = scratch + "dryrun/";
    std::system(("rm -rf '" + folder + "' && mkdir '" + folder + "'").c_str());
    MakeBatch(folder, kFiles);
    PlainHeaders(folder, kFiles);  // into the page cache
    std::vector<double> plain;
    std::vector<double> calls;
    std::vector<double> tool;
    for (int i = 0; i < 5; ++i) {
        plain.push_back(PlainHeaders(folder, kFiles));
        calls.push_back(PlainCheckCalls(folder, kFiles));
        tool.push_back(ToolBatch(folder, rvxedit, true));
    }
    std::system(("rm -rf '" + folder + "'").c_str());
    std::printf("5. dry run: 20,000 files of 20 KiB in the page cache (median of 5)\n");
    PrintTimes("plain loop", plain, 0);
    PrintTimes("its system calls", calls, 0);
    PrintTimes("rvxedit dry run", tool, 0);
    std::printf("   ratio calls/plain %8.2f\n", Median(calls) / Median(plain));
    std::printf("   ratio tool/plain %9.2f\n", Median(tool) / Median(plain));
    Summarise("dryrun", Median(tool) / Median(plain));
}

// The peak resident memory of a dry run of 100,000 rows, each a small raw file.
void BenchMemory(const std::string& scratch, const std::string& rvxedit) {
    constexpr std::size_t kFiles = 100000;
    const std::string folder = scratch + "memory/";
    std::system(("rm -rf '" + folder + "' && mkdir '" + folder + "'").c_str());
    MakeBatch(folder, kFiles, 1024);
    std::vector<double> mb;
    std::vector<double> seconds;
    for (int i = 0; i < 3; ++i) {
        long kib = 0;
        seconds.push_back(ToolBatch(folder, rvxedit, true, &kib));
        mb.push_back(static_cast<double>(kib) * 1024 / 1e6);
    }
    std::system(("rm -rf '" + folder + "'").c_str());
    const auto [low, high] = std::minmax_element(mb.begin(), mb.end());
    std::printf("6. dry run of 100,000 rows of 1 KiB files: peak resident memory (median of 3)\n");
    PrintTimes("rvxedit dry run", seconds, 0);
    std::printf("   peak             %9.1f MB  (runs %.1f to %.1f MB; %.0f bytes a row)\n",
                Median(mb), *low, *high, Median(mb) * 1e6 / kFiles);
    Summarise("memory-100k", Median(mb));
}

void BenchBatch(const std::string& scratch, const std::string& rvxedit) {
    constexpr std::size_t kFiles = 10000;
    const std::string folder = scratch + "batch/";
    std::vector<double> plain;
    std::vector<double> tool;
    for (int i = 0; i < 3; ++i) {
        for (const bool useTool : {false, true}) {
            std::system(("rm -rf '" + folder + "' && mkdir '" + folder + "'").c_str());
            MakeBatch(folder, kFiles);
            (useTool ? tool : plain)
                .push_back(useTool ? ToolBatch(folder, rvxedit) : PlainBatch(folder, kFiles));
        }
    }
    std::system(("rm -rf '" + folder + "'").c_str());
    std::printf(
        "4. durable batch: 10,000 files of 20 KiB renamed, heights changed (median of 3)\n");
    PrintTimes("plain loop", plain, 0);
    PrintTimes("rvxedit apply", tool, 0);
    std::printf("   ratio tool/plain %9.2f\n", Median(tool) / Median(plain));
    Summarise("batch-durable", Median(tool) / Median(plain));
}
#endif

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
    BenchLoad(folder, loadMib, bench::Data::kText, true);
    BenchLoad(folder, loadMib, bench::Data::kBinary, false);
    BenchSave(folder, hugeMib);
#ifndef _WIN32
    BenchDurableSave(folder);
    if (argc > 4) {
        // The runs start in the batch's folder: a relative path to rvxedit would not lead there.
        char* rvxedit = realpath(argv[4], nullptr);
        if (rvxedit == nullptr) {
            Die(std::string("no rvxedit at ") + argv[4]);
        }
        BenchBatch(folder, rvxedit);
        BenchDryRun(folder, rvxedit);
        BenchMemory(folder, rvxedit);
        std::free(rvxedit);
    }
#endif
    for (const auto& [name, ratio] : g_summary) {
        std::printf("ratio %s %.2f\n", name.c_str(), ratio);
    }
    return 0;
}

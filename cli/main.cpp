// rvxedit: shows and corrects the point name and antenna height of raw files from the command
// line, with the same rules and the same result as the RVXTOOL dialog.
#include <csignal>
#include <exception>
#ifdef __GLIBC__
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#endif
#include <string>
#include <vector>

#include "commands.h"
#include "console.h"
#include "options.h"
#include "text.h"

#ifndef RVX_VERSION
#define RVX_VERSION "0"
#endif

namespace rvxedit {

namespace {

int Run(const std::vector<Arg>& args, const CliTexts& t) {
    Options options;
    std::u16string error;
    switch (ParseArgs(args, t, &options, &error)) {
        case ParseStatus::kHelp:
            WriteRaw(Stream::kOut, HelpText(t));
            return 0;
        case ParseStatus::kVersion:
            WriteLine(Stream::kOut, u"rvxedit " + rawfile::BytesToText(RVX_VERSION));
            return 0;
        case ParseStatus::kUsageError:
            WriteLine(Stream::kErr, u"rvxedit: " + error);
            WriteLine(Stream::kErr, t.tryHelp);
            return 2;
        case ParseStatus::kRun:
            break;
    }
    Console console(t);
    return RunCommand(options, console);
}

// Keeps every failure inside the program: the only way out is an exit status, which a failed
// write to standard output or standard error makes a failure.
int RunGuarded(const std::vector<Arg>& args) {
    const CliTexts& t = TextsFor(ChosenLanguage(args, UserLanguage()));
    int status = 1;
    try {
        status = Run(args, t);
    } catch (const std::exception&) {
        WriteLine(Stream::kErr, u"rvxedit: " + std::u16string(t.internalError));
    }
    return FinishOutput(status, t);
}

}  // namespace

}  // namespace rvxedit

#ifdef _WIN32
// The Windows command prompt passes *.RVX on as it is; the C runtime expands such patterns in
// the arguments before wmain sees them, as the shell does on POSIX.
extern "C" {
int _dowildcard = -1;
}

int wmain(int argc, wchar_t** argv) {
    std::vector<rvxedit::Arg> args;
    for (int i = 1; i < argc; ++i) {
        rvxedit::Arg arg;
        arg.text = rawfile::FromWide(argv[i]);
        args.push_back(arg);
    }
    return rvxedit::RunGuarded(args);
}
#else
#ifdef __GLIBC__
namespace {

// The heap a batch grows, made ready before the first row is read.
void PrepareHeap() {
    // Arrays of up to 8 MiB (a batch's rows, items and plans) come from the heap and are reused
    // there, not mapped afresh for each. Bigger ones are still mapped, so that a huge log's
    // memory goes back to the system once it is let go.
    mallopt(M_MMAP_THRESHOLD, 8 * 1024 * 1024);
    // Every page first touched costs a fault, and in a virtual machine a dear one: a check of
    // 20,000 files faulted 5,000 times, mostly while its log was read, before any file was
    // looked at. The heap's first 64 MiB are therefore laid out at once and asked for in huge
    // pages (where the system hands them out on request); they are still only taken when
    // touched, and the faults drop to about 2,000.
    constexpr std::size_t kPad = 64u << 20;
    constexpr std::uintptr_t kHuge = 2u << 20;
    mallopt(M_TOP_PAD, static_cast<int>(kPad));
    void* grow = malloc(1u << 20);  // grows the heap by the pad as well
    const std::uintptr_t from = (reinterpret_cast<std::uintptr_t>(grow) + kHuge - 1) & ~(kHuge - 1);
    const std::uintptr_t to = reinterpret_cast<std::uintptr_t>(sbrk(0)) & ~(kHuge - 1);
    if (grow != nullptr && to > from) {
        madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);  // a hint: may fail
    }
    free(grow);
}

}  // namespace
#endif

int main(int argc, char** argv) {
    // A reader that goes away (`| head`) must not end a batch half done: the writes fail
    // instead, the files are still saved, and the exit status says the output was lost.
    signal(SIGPIPE, SIG_IGN);
#ifdef __GLIBC__
    PrepareHeap();
#endif
    std::vector<rvxedit::Arg> args;
    for (int i = 1; i < argc; ++i) {
        rvxedit::Arg arg;
        arg.text = rawfile::Utf8ToUtf16(argv[i], &arg.exact);
        args.push_back(arg);
    }
    return rvxedit::RunGuarded(args);
}
#endif

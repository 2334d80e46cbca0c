// The command line of rvxedit: a command, its options and the files it works on.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "messages.h"

namespace rvxedit {

// One command-line argument as UTF-16 text; `exact` is false when the bytes it came from were
// not valid UTF-8 (such a name cannot be passed on to the file system unchanged).
struct Arg {
    std::u16string text;
    bool exact = true;
};

enum class Command { kShow, kSet, kApply, kUndo };

struct Options {
    Command command = Command::kShow;
    bool json = false;                        // show: one JSON array
    bool dryRun = false;                      // set, apply, undo: check and report, write nothing
    bool skipChanged = false;                 // undo: put back the files not blocked
    bool recursive = false;                   // a folder stands for the raw files under it
    std::optional<std::u16string> language;   // as given with --lang
    std::optional<std::u16string> pointName;  // set: the new point name
    std::vector<std::u16string> heights;      // set: readings of the new antenna height
    std::vector<std::u16string> slants;       // set: slant readings instead
    std::optional<std::u16string> radius;     // set: the antenna's radius, for slant readings
    std::optional<std::u16string> offset;     // set: the reference point above the slant's end
    std::optional<std::u16string> tolerance;  // set, apply: the spread readings may have
    std::optional<std::u16string> maxHeight;  // set, apply: the largest height taken as metres
    std::optional<std::u16string> encoding;   // apply: the log's encoding
    std::optional<std::u16string> record;     // set, apply, undo: the change record to append to
    std::vector<Arg> files;                   // for apply, the one log; for undo, the record
};

enum class ParseStatus { kRun, kHelp, kVersion, kUsageError };

struct CliTexts;
class Console;

// The language --lang asks for, if it is given with a value it knows; `fallback` otherwise (a
// bad value is then reported by ParseArgs).
texts::Language ChosenLanguage(const std::vector<Arg>& args, texts::Language fallback);

// Reads the arguments after the program name. On kUsageError, *error says what is wrong, in the
// texts' language. A height that no file could be saved with is a usage error too.
ParseStatus ParseArgs(const std::vector<Arg>& args, const CliTexts& t, Options* options,
                      std::u16string* error);

// The height set's readings give (none when there are none), or *error (in the texts'
// language) when they give none.
bool SetHeight(const Options& options, const CliTexts& t, std::optional<std::u16string>* height,
               std::u16string* error);

// The tolerance --tolerance gives, in metres (the default when it is not given); false when the
// value is no tolerance.
bool Tolerance(const Options& options, double* metres);

// The largest height --max-height takes as metres (none when it is not given: the default
// rule); false when the value is no height.
bool MaxHeight(const Options& options, std::optional<double>* metres);

// The help text: every command with its options, in the texts' language.
std::u16string HelpText(const CliTexts& t);

// Runs the command the options name; returns its exit status.
int RunCommand(const Options& options, Console& console);

}  // namespace rvxedit

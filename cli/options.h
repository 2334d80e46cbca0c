// The command line of rvxedit: a command, its options and the files it works on.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace rvxedit {

// One command-line argument as UTF-16 text; `exact` is false when the bytes it came from were
// not valid UTF-8 (such a name cannot be passed on to the file system unchanged).
struct Arg {
    std::u16string text;
    bool exact = true;
};

enum class Command { kShow, kSet };

struct Options {
    Command command = Command::kShow;
    bool json = false;
    bool dryRun = false;
    std::optional<std::u16string> pointName;
    std::optional<std::u16string> height;
    std::vector<Arg> files;
};

enum class ParseStatus { kRun, kHelp, kVersion, kUsageError };

// Reads the arguments after the program name. On kUsageError, *error says what is wrong.
// A point name or height that no file could be saved with is a usage error too.
ParseStatus ParseArgs(const std::vector<Arg>& args, Options* options, std::u16string* error);

// The text printed by --help.
std::u16string HelpText();

}  // namespace rvxedit

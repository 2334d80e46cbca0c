#include "options.h"

#include "cli_texts.h"
#include "commands.h"
#include "console.h"
#include "log_messages.h"
#include "log_text.h"
#include "messages.h"
#include "numbers.h"
#include "readings.h"
#include "save.h"
#include "text.h"

namespace rvxedit {

namespace {

using Text = const char16_t* CliTexts::*;

// An option: a flag, or an option that takes a value ("--name VALUE" or "--name=VALUE").
struct OptionEntry {
    const char16_t* name;
    const char16_t* shortName;                      // a second name for a flag, or null
    bool Options::*flag;                            // what a flag sets; null for a value
    std::optional<std::u16string> Options::*value;  // what a value goes to; null for a flag
    std::vector<std::u16string> Options::*list;     // what a value that may repeat goes to
    Text valueName;                                 // the value in help; null for a flag
    Text help;
    bool inUsage;  // shown in the usage lines
};

// A command: its name, options, help and handler, and the checks once its arguments are read.
struct CommandEntry {
    const char16_t* name;
    Command command;
    std::vector<OptionEntry> options;
    Text files;          // what the file arguments are, in the usage line
    Text help;           // what the command does
    std::size_t column;  // the column at which the help of its options starts
    int (*run)(const Options&, Console&);
    // Sets *error when the options read cannot run; null when any can.
    void (*check)(const Options&, const CliTexts&, std::u16string* error);
};

bool IsLanguage(const std::u16string& value) {
    return value == u"en" || value == u"zh";
}

OptionEntry Flag(const char16_t* name, const char16_t* shortName, bool Options::*flag, Text help) {
    return {name, shortName, flag, nullptr, nullptr, nullptr, help, true};
}

OptionEntry Value(const char16_t* name, std::optional<std::u16string> Options::*value,
                  Text valueName, Text help, bool inUsage = true) {
    return {name, nullptr, nullptr, value, nullptr, valueName, help, inUsage};
}

OptionEntry List(const char16_t* name, std::vector<std::u16string> Options::*list, Text valueName,
                 Text help) {
    return {name, nullptr, nullptr, nullptr, list, valueName, help, true};
}

// What every command takes (--lang may also stand before the command), and the column at which
// their help starts.
const OptionEntry kLanguage =
    Value(u"--lang", &Options::language, &CliTexts::languageValue, &CliTexts::languageHelp, false);
const std::vector<OptionEntry> kCommonOptions = {
    Flag(u"--recursive", u"-r", &Options::recursive, &CliTexts::recursiveHelp), kLanguage};
constexpr std::size_t kCommonColumn = 19;

// Options more than one command takes.
const OptionEntry kTolerance = Value(u"--tolerance", &Options::tolerance, &CliTexts::metresValue,
                                     &CliTexts::toleranceHelp, false);
const OptionEntry kMaxHeight = Value(u"--max-height", &Options::maxHeight, &CliTexts::metresValue,
                                     &CliTexts::maxHeightHelp, false);
const OptionEntry kRecord =
    Value(u"--record", &Options::record, &CliTexts::recordArg, &CliTexts::recordHelp);

// The tolerance and the largest height, when given, must be ones.
void CheckTolerance(const Options& o, const CliTexts& t, std::u16string* error) {
    double ignored = 0;
    std::optional<double> max;
    if (!Tolerance(o, &ignored)) {
        *error = t.badTolerance;
    } else if (!MaxHeight(o, &max)) {
        *error = t.badMaxHeight;
    }
}

void CheckSet(const Options& o, const CliTexts& t, std::u16string* error) {
    if (!o.pointName && o.heights.empty() && o.slants.empty()) {
        *error = t.setNeedsField;
        return;
    }
    if ((o.radius || o.offset) && o.slants.empty()) {
        *error = t.radiusNeedsSlant;
        return;
    }
    CheckTolerance(o, t, error);
    // The height is checked before any file is; a point name file by file, since a file that
    // keeps its own name keeps it, whatever it holds.
    std::optional<std::u16string> height;
    if (error->empty()) {
        SetHeight(o, t, &height, error);
    }
}

void CheckApply(const Options& o, const CliTexts& t, std::u16string* error) {
    rawfile::TextEncoding encoding;
    if (o.files.size() != 1) {
        *error = t.applyOneLog;
    } else if (o.encoding && !rawfile::EncodingByName(*o.encoding, &encoding)) {
        *error = Fill(t.badEncoding, {*o.encoding});
    } else {
        CheckTolerance(o, t, error);
    }
}

void CheckUndo(const Options& o, const CliTexts& t, std::u16string* error) {
    if (o.files.size() != 1) {
        *error = t.undoOneRecord;
    }
}

const CommandEntry kCommands[] = {
    {u"show",
     Command::kShow,
     {Flag(u"--json", nullptr, &Options::json, &CliTexts::jsonHelp)},
     &CliTexts::fileArgs,
     &CliTexts::showHelp,
     11,
     RunShow,
     nullptr},
    {u"set",
     Command::kSet,
     {Value(u"--point", &Options::pointName, &CliTexts::nameValue, &CliTexts::pointHelp),
      List(u"--height", &Options::heights, &CliTexts::metresValue, &CliTexts::heightHelp),
      List(u"--slant", &Options::slants, &CliTexts::metresValue, &CliTexts::slantHelp),
      Value(u"--radius", &Options::radius, &CliTexts::metresValue, &CliTexts::radiusHelp, false),
      Value(u"--offset", &Options::offset, &CliTexts::metresValue, &CliTexts::offsetHelp, false),
      kTolerance, kMaxHeight, kRecord,
      Flag(u"--dry-run", nullptr, &Options::dryRun, &CliTexts::setDryRunHelp)},
     &CliTexts::fileArgs,
     &CliTexts::setHelp,
     23,
     RunSet,
     CheckSet},
    {u"apply",
     Command::kApply,
     {Value(u"--encoding", &Options::encoding, &CliTexts::encodingValue, &CliTexts::encodingHelp),
      Value(u"--tolerance", &Options::tolerance, &CliTexts::metresValue, &CliTexts::toleranceHelp),
      kMaxHeight, kRecord,
      Flag(u"--dry-run", nullptr, &Options::dryRun, &CliTexts::applyDryRunHelp)},
     &CliTexts::logArg,
     &CliTexts::applyHelp,
     23,
     RunApply,
     CheckApply},
    {u"undo",
     Command::kUndo,
     {Flag(u"--skip-changed", nullptr, &Options::skipChanged, &CliTexts::skipChangedHelp), kRecord,
      Flag(u"--dry-run", nullptr, &Options::dryRun, &CliTexts::undoDryRunHelp)},
     &CliTexts::recordArg,
     &CliTexts::undoHelp,
     23,
     RunUndo,
     CheckUndo},
};

bool StartsWith(const std::u16string& text, const std::u16string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsOption(const Arg& arg) {
    return !arg.text.empty() && arg.text[0] == u'-' && arg.text != u"-";
}

bool IsHelp(const Arg& arg) {
    return arg.text == u"--help" || arg.text == u"-h";
}

// Reads the argument at *i (and, for a value given apart, the next) if it is `option`.
// False when it is not; sets *error when it is, but is malformed or given twice.
bool TakeOption(const OptionEntry& option, const std::vector<Arg>& args, size_t* i,
                const CliTexts& t, Options* o, std::u16string* error) {
    const Arg& arg = args[*i];
    if (option.flag != nullptr) {
        if (arg.text != option.name &&
            (option.shortName == nullptr || arg.text != option.shortName)) {
            return false;
        }
        if (o->*option.flag) {
            *error = Fill(t.givenTwice, {arg.text});
        }
        o->*option.flag = true;
        return true;
    }
    const std::u16string name = option.name;
    const Arg* value = &arg;
    std::size_t skip = name.size() + 1;
    if (arg.text == name) {
        if (*i + 1 >= args.size()) {
            *error = Fill(t.needsValue, {name});
            return true;
        }
        value = &args[++*i];
        skip = 0;
    } else if (!StartsWith(arg.text, name + u"=")) {
        return false;
    }
    if (!value->exact) {
        *error = Fill(t.valueNotUtf8, {name});
        return true;
    }
    if (option.list != nullptr) {
        (o->*option.list).push_back(value->text.substr(skip));
        return true;
    }
    std::optional<std::u16string>& field = o->*option.value;
    if (field) {
        *error = Fill(t.givenTwice, {name});
    } else {
        field = value->text.substr(skip);
        if (option.value == &Options::language && !IsLanguage(*field)) {
            *error = t.badLanguage;
        }
    }
    return true;
}

// Before the command: --help, --version and --lang. Leaves *i at the command.
ParseStatus ReadBeforeCommand(const std::vector<Arg>& args, size_t* i, const CliTexts& t,
                              Options* o, std::u16string* error) {
    for (; *i < args.size() && IsOption(args[*i]) && error->empty(); ++*i) {
        const Arg& arg = args[*i];
        if (IsHelp(arg)) {
            return ParseStatus::kHelp;
        }
        if (arg.text == u"--version") {
            return ParseStatus::kVersion;
        }
        if (!TakeOption(kLanguage, args, i, t, o, error)) {
            *error = Fill(t.unknownCommand, {arg.text});
        }
    }
    if (error->empty() && *i >= args.size()) {
        *error = t.noCommand;
    }
    return error->empty() ? ParseStatus::kRun : ParseStatus::kUsageError;
}

// After the command: its options, the common ones and its files ("--" ends the options); then
// the command's own checks.
ParseStatus ReadCommand(const CommandEntry& c, const std::vector<Arg>& args, size_t i,
                        const CliTexts& t, Options* o, std::u16string* error) {
    bool optionsEnded = false;
    for (; i < args.size() && error->empty(); ++i) {
        const Arg& arg = args[i];
        if (optionsEnded || !IsOption(arg)) {
            o->files.push_back(arg);
            continue;
        }
        if (arg.text == u"--") {
            optionsEnded = true;
            continue;
        }
        if (IsHelp(arg)) {
            return ParseStatus::kHelp;
        }
        bool known = false;
        for (const OptionEntry& option : kCommonOptions) {
            known = known || TakeOption(option, args, &i, t, o, error);
        }
        for (const OptionEntry& option : c.options) {
            known = known || TakeOption(option, args, &i, t, o, error);
        }
        if (!known) {
            *error = Fill(t.unknownOption, {arg.text, c.name});
        }
    }
    if (error->empty() && o->files.empty()) {
        *error = t.noFiles;
    }
    if (error->empty() && c.check != nullptr) {
        c.check(*o, t, error);
    }
    return error->empty() ? ParseStatus::kRun : ParseStatus::kUsageError;
}

// "--name VALUE" as help shows an option, with its short name.
std::u16string OptionLabel(const OptionEntry& option, const CliTexts& t) {
    std::u16string label =
        option.shortName != nullptr ? option.shortName + std::u16string(u", ") : u"";
    label += option.name;
    return option.valueName != nullptr ? label + u" " + t.*option.valueName : label;
}

// An option as the usage lines show it: by its short name, if it has one.
std::u16string UsageLabel(const OptionEntry& option, const CliTexts& t) {
    return option.shortName != nullptr ? option.shortName : OptionLabel(option, t);
}

// An option's help line: its label, then its help from `column` on.
std::u16string OptionHelp(const OptionEntry& option, std::size_t column, const CliTexts& t) {
    const std::u16string label = u"  " + OptionLabel(option, t);
    const std::size_t width = DisplayWidth(label);
    return label + std::u16string(width < column ? column - width : 1, u' ') + t.*option.help +
           u"\n";
}

}  // namespace

texts::Language ChosenLanguage(const std::vector<Arg>& args, texts::Language fallback) {
    Options o;
    std::u16string error;
    for (size_t i = 0; i < args.size() && args[i].text != u"--"; ++i) {
        if (TakeOption(kLanguage, args, &i, TextsFor(fallback), &o, &error)) {
            return error.empty() ? (*o.language == u"zh" ? texts::Language::kChinese
                                                         : texts::Language::kEnglish)
                                 : fallback;
        }
        // The value of another option is never taken for --lang.
        bool takesValue = false;
        for (const CommandEntry& c : kCommands) {
            for (const OptionEntry& option : c.options) {
                takesValue = takesValue || (option.flag == nullptr && args[i].text == option.name);
            }
        }
        i += takesValue ? 1 : 0;
    }
    return fallback;
}

ParseStatus ParseArgs(const std::vector<Arg>& args, const CliTexts& t, Options* options,
                      std::u16string* error) {
    Options o;
    size_t i = 0;
    const ParseStatus before = ReadBeforeCommand(args, &i, t, &o, error);
    if (before != ParseStatus::kRun) {
        return before;
    }
    for (const CommandEntry& c : kCommands) {
        if (args[i].text == c.name) {
            o.command = c.command;
            const ParseStatus status = ReadCommand(c, args, i + 1, t, &o, error);
            if (status == ParseStatus::kRun) {
                *options = o;
            }
            return status;
        }
    }
    *error = Fill(t.unknownCommand, {args[i].text});
    return ParseStatus::kUsageError;
}

bool Tolerance(const Options& options, double* metres) {
    *metres = rawfile::kDefaultTolerance;
    return !options.tolerance ||
           rawfile::ParseTolerance(rawfile::Utf16ToUtf8(*options.tolerance), metres);
}

bool MaxHeight(const Options& options, std::optional<double>* metres) {
    metres->reset();
    float value = 0;
    if (!options.maxHeight) {
        return true;
    }
    if (!rawfile::ParseStrictFloat(*options.maxHeight, &value) || !(value >= 0) || value > 1e12f) {
        return false;
    }
    *metres = value;
    return true;
}

namespace {

// *error for a height no file could be saved with, or one that is most likely millimetres.
bool CheckSetHeight(const Options& options, const CliTexts& t, const std::u16string& height,
                    std::u16string* error) {
    rawfile::NormalisedHeight normalised;
    *error = texts::Refusal(rawfile::NormaliseHeight(height, &normalised), u"", t.language);
    std::optional<double> max;
    if (error->empty() && MaxHeight(options, &max) &&
        rawfile::LooksLikeMillimetres(normalised, max)) {
        *error = Fill(t.allowWithMaxHeight, {texts::LikelyMillimetres(normalised, t.language)});
    }
    return error->empty();
}

}  // namespace

bool SetHeight(const Options& options, const CliTexts& t, std::optional<std::u16string>* height,
               std::u16string* error) {
    if (options.heights.size() == 1 && options.slants.empty()) {
        *height = options.heights[0];
        return CheckSetHeight(options, t, **height, error);
    }
    rawfile::Readings readings;
    for (const std::u16string& h : options.heights) {
        readings.vertical.push_back(rawfile::Utf16ToUtf8(h));
    }
    for (const std::u16string& s : options.slants) {
        readings.slant.push_back(rawfile::Utf16ToUtf8(s));
    }
    readings.radius = rawfile::Utf16ToUtf8(options.radius.value_or(u""));
    readings.offset = rawfile::Utf16ToUtf8(options.offset.value_or(u""));
    double tolerance = 0;
    Tolerance(options, &tolerance);
    const rawfile::HeightFromReadings result = rawfile::HeightOf(readings, tolerance);
    if (result.problem == rawfile::ReadingsProblem::kNoReadings) {
        height->reset();
        return true;
    }
    if (result.problem != rawfile::ReadingsProblem::kNone) {
        *error = texts::ReadingsProblemText(result, t.language);
        return false;
    }
    // The height must be one a file can be saved with.
    const std::u16string text = rawfile::BytesToText(result.heightText);
    *height = text;
    return CheckSetHeight(options, t, text, error);
}

std::u16string HelpText(const CliTexts& t) {
    std::u16string help = t.usage + std::u16string(u"\n");
    for (const CommandEntry& c : kCommands) {
        help += u"  rvxedit " + std::u16string(c.name);
        for (const auto* options : {&kCommonOptions, &c.options}) {
            for (const OptionEntry& option : *options) {
                help += option.inUsage ? u" [" + UsageLabel(option, t) + u"]" : u"";
            }
        }
        help += u" " + std::u16string(t.*c.files) + u"\n";
    }
    help += u"  rvxedit --help | --version\n\n" + std::u16string(t.summary) + u"\n\n";
    for (const CommandEntry& c : kCommands) {
        const std::u16string name = c.name;
        help += name + std::u16string(9 - name.size(), u' ') + t.*c.help + u"\n";
        for (const OptionEntry& option : c.options) {
            help += OptionHelp(option, c.column, t);
        }
    }
    help += u"\n";
    for (const OptionEntry& option : kCommonOptions) {
        help += OptionHelp(option, kCommonColumn, t);
    }
    return help + u"\n" + t.helpEnd;
}

int RunCommand(const Options& options, Console& console) {
    for (const CommandEntry& c : kCommands) {
        if (c.command == options.command) {
            return c.run(options, console);
        }
    }
    return 1;
}

}  // namespace rvxedit

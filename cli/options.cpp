#include "options.h"

#include "cli_texts.h"
#include "messages.h"
#include "save.h"

namespace rvxedit {

namespace {

bool StartsWith(const std::u16string& text, const std::u16string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Reads a value option given as "--name VALUE" or "--name=VALUE". Returns false when the
// argument at *i is not this option; sets *error when it is, but is malformed.
bool TakeValue(const std::vector<Arg>& args, size_t* i, const std::u16string& name,
               std::optional<std::u16string>* value, const CliTexts& t, std::u16string* error) {
    const Arg& arg = args[*i];
    std::u16string text;
    if (arg.text == name) {
        if (*i + 1 >= args.size()) {
            *error = Fill(t.needsValue, {name});
            return true;
        }
        ++*i;
        if (!args[*i].exact) {
            *error = Fill(t.valueNotUtf8, {name});
            return true;
        }
        text = args[*i].text;
    } else if (StartsWith(arg.text, name + u"=")) {
        if (!arg.exact) {
            *error = Fill(t.valueNotUtf8, {name});
            return true;
        }
        text = arg.text.substr(name.size() + 1);
    } else {
        return false;
    }
    if (value->has_value()) {
        *error = Fill(t.givenTwice, {name});
        return true;
    }
    *value = text;
    return true;
}

bool TakeFlag(const Arg& arg, const std::u16string& name, bool* flag, const CliTexts& t,
              std::u16string* error) {
    if (arg.text != name) {
        return false;
    }
    if (*flag) {
        *error = Fill(t.givenTwice, {name});
    }
    *flag = true;
    return true;
}

// The check a save makes on the height before it looks at any file. The point name is checked
// file by file: a file that keeps its own name keeps it, whatever it holds.
bool CheckHeight(const Options& options, const CliTexts& t, std::u16string* error) {
    rawfile::NormalisedHeight height;
    const rawfile::SaveRefusal refusal = options.height
                                             ? rawfile::NormaliseHeight(*options.height, &height)
                                             : rawfile::SaveRefusal::kNone;
    *error = texts::Refusal(refusal, u"", t.language);
    return refusal == rawfile::SaveRefusal::kNone;
}

// Reads an option that every command takes. Returns false when the argument at *i is none.
bool TakeCommon(const std::vector<Arg>& args, size_t* i, Options* o, const CliTexts& t,
                std::u16string* error) {
    if (!TakeValue(args, i, u"--lang", &o->language, t, error)) {
        return false;
    }
    if (error->empty() && *o->language != u"en" && *o->language != u"zh") {
        *error = t.badLanguage;
    }
    return true;
}

bool IsOption(const Arg& arg) {
    return !arg.text.empty() && arg.text[0] == u'-' && arg.text != u"-";
}

}  // namespace

texts::Language ChosenLanguage(const std::vector<Arg>& args, texts::Language fallback) {
    for (size_t i = 0; i < args.size() && args[i].text != u"--"; ++i) {
        const std::u16string& text = args[i].text;
        std::u16string value;
        if (text == u"--lang" && i + 1 < args.size()) {
            value = args[i + 1].text;
        } else if (StartsWith(text, u"--lang=")) {
            value = text.substr(7);
        } else {
            // The value of another option is never taken for --lang.
            i += text == u"--point" || text == u"--height" ? 1 : 0;
            continue;
        }
        if (value == u"en" || value == u"zh") {
            return value == u"zh" ? texts::Language::kChinese : texts::Language::kEnglish;
        }
        return fallback;
    }
    return fallback;
}

ParseStatus ParseArgs(const std::vector<Arg>& args, const CliTexts& t, Options* options,
                      std::u16string* error) {
    Options o;
    size_t i = 0;
    // Before the command: --help, --version and the options every command takes.
    for (; i < args.size() && IsOption(args[i]) && error->empty(); ++i) {
        if (args[i].text == u"--help" || args[i].text == u"-h") {
            return ParseStatus::kHelp;
        }
        if (args[i].text == u"--version") {
            return ParseStatus::kVersion;
        }
        if (!TakeCommon(args, &i, &o, t, error)) {
            *error = Fill(t.unknownCommand, {args[i].text});
        }
    }
    if (error->empty() && i >= args.size()) {
        *error = t.noCommand;
    }
    if (!error->empty()) {
        return ParseStatus::kUsageError;
    }
    const std::u16string& command = args[i].text;
    if (command == u"show") {
        o.command = Command::kShow;
    } else if (command == u"set") {
        o.command = Command::kSet;
    } else if (command == u"apply") {
        o.command = Command::kApply;
    } else {
        *error = Fill(t.unknownCommand, {command});
        return ParseStatus::kUsageError;
    }
    bool optionsEnded = false;
    for (++i; i < args.size() && error->empty(); ++i) {
        const Arg& arg = args[i];
        if (optionsEnded || !IsOption(arg)) {
            o.files.push_back(arg);
            continue;
        }
        if (arg.text == u"--") {
            optionsEnded = true;
            continue;
        }
        if (arg.text == u"--help" || arg.text == u"-h") {
            return ParseStatus::kHelp;
        }
        bool known = TakeCommon(args, &i, &o, t, error) ||
                     TakeFlag(arg, u"-r", &o.recursive, t, error) ||
                     TakeFlag(arg, u"--recursive", &o.recursive, t, error);
        switch (o.command) {
            case Command::kShow:
                known = known || TakeFlag(arg, u"--json", &o.json, t, error);
                break;
            case Command::kSet:
                known = known || TakeValue(args, &i, u"--point", &o.pointName, t, error) ||
                        TakeValue(args, &i, u"--height", &o.height, t, error);
                [[fallthrough]];
            case Command::kApply:
                known = known || TakeFlag(arg, u"--dry-run", &o.dryRun, t, error);
                break;
        }
        if (!known) {
            *error = Fill(t.unknownOption, {arg.text, command});
        }
    }
    if (error->empty() && o.files.empty()) {
        *error = t.noFiles;
    }
    if (error->empty() && o.command == Command::kSet && !o.pointName && !o.height) {
        *error = t.setNeedsField;
    }
    if (error->empty() && o.command == Command::kApply && o.files.size() != 1) {
        *error = t.applyOneLog;
    }
    if (!error->empty() || !CheckHeight(o, t, error)) {
        return ParseStatus::kUsageError;
    }
    *options = o;
    return ParseStatus::kRun;
}

}  // namespace rvxedit

#include "options.h"

#include "messages.h"
#include "raw_file_name.h"
#include "save.h"

namespace rvxedit {

namespace {

bool StartsWith(const std::u16string& text, const std::u16string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Reads a value option given as "--name VALUE" or "--name=VALUE". Returns false when the
// argument at *i is not this option; sets *error when it is, but is malformed.
bool TakeValue(const std::vector<Arg>& args, size_t* i, const std::u16string& name,
               std::optional<std::u16string>* value, std::u16string* error) {
    const Arg& arg = args[*i];
    std::u16string text;
    if (arg.text == name) {
        if (*i + 1 >= args.size()) {
            *error = name + u" needs a value";
            return true;
        }
        ++*i;
        if (!args[*i].exact) {
            *error = u"the value of " + name + u" is not valid UTF-8 text";
            return true;
        }
        text = args[*i].text;
    } else if (StartsWith(arg.text, name + u"=")) {
        if (!arg.exact) {
            *error = u"the value of " + name + u" is not valid UTF-8 text";
            return true;
        }
        text = arg.text.substr(name.size() + 1);
    } else {
        return false;
    }
    if (value->has_value()) {
        *error = name + u" is given more than once";
        return true;
    }
    *value = text;
    return true;
}

bool TakeFlag(const Arg& arg, const std::u16string& name, bool* flag, std::u16string* error) {
    if (arg.text != name) {
        return false;
    }
    if (*flag) {
        *error = name + u" is given more than once";
    }
    *flag = true;
    return true;
}

// The same checks a save makes on the two fields before it looks at any file.
bool CheckValues(const Options& options, std::u16string* error) {
    rawfile::SaveRefusal refusal = rawfile::SaveRefusal::kNone;
    if (options.pointName &&
        !rawfile::IsValidPointName(rawfile::CutPointName(*options.pointName))) {
        refusal = rawfile::SaveRefusal::kBadPointName;
    }
    rawfile::NormalisedHeight height;
    if (refusal == rawfile::SaveRefusal::kNone && options.height) {
        refusal = rawfile::NormaliseHeight(*options.height, &height);
    }
    *error = texts::Refusal(refusal, u"", texts::Language::kEnglish);
    return refusal == rawfile::SaveRefusal::kNone;
}

}  // namespace

ParseStatus ParseArgs(const std::vector<Arg>& args, Options* options, std::u16string* error) {
    if (args.empty()) {
        *error = u"no command given";
        return ParseStatus::kUsageError;
    }
    const std::u16string& first = args[0].text;
    if (first == u"--help" || first == u"-h") {
        return ParseStatus::kHelp;
    }
    if (first == u"--version") {
        return ParseStatus::kVersion;
    }
    Options o;
    if (first == u"show") {
        o.command = Command::kShow;
    } else if (first == u"set") {
        o.command = Command::kSet;
    } else {
        *error = u"unknown command \"" + first + u"\"";
        return ParseStatus::kUsageError;
    }
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size() && error->empty(); ++i) {
        const Arg& arg = args[i];
        if (optionsEnded || arg.text.empty() || arg.text[0] != u'-' || arg.text == u"-") {
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
        const bool known = o.command == Command::kShow
                               ? TakeFlag(arg, u"--json", &o.json, error)
                               : TakeFlag(arg, u"--dry-run", &o.dryRun, error) ||
                                     TakeValue(args, &i, u"--point", &o.pointName, error) ||
                                     TakeValue(args, &i, u"--height", &o.height, error);
        if (!known) {
            *error = u"unknown option \"" + arg.text + u"\" for " + first;
        }
    }
    if (error->empty() && o.files.empty()) {
        *error = u"no files given";
    }
    if (error->empty() && o.command == Command::kSet && !o.pointName && !o.height) {
        *error = u"set needs --point or --height (or both)";
    }
    if (!error->empty() || !CheckValues(o, error)) {
        return ParseStatus::kUsageError;
    }
    *options = o;
    return ParseStatus::kRun;
}

std::u16string HelpText() {
    return u"Usage:\n"
           u"  rvxedit show [--json] FILE...\n"
           u"  rvxedit set [--point NAME] [--height METRES] [--dry-run] FILE...\n"
           u"  rvxedit --help | --version\n"
           u"\n"
           u"Shows or corrects the point name and antenna height of raw (.RVX) files.\n"
           u"\n"
           u"show     prints each file's point name, kept tail, header values, antenna height\n"
           u"         and the millimetre field at bytes 130-133, with a warning where the two\n"
           u"         heights disagree.\n"
           u"  --json   one JSON array with an object for each file\n"
           u"set      rewrites the 160-byte header and renames the file, exactly as the\n"
           u"         RVXTOOL dialog saves it. A field not given keeps the file's own value;\n"
           u"         a file whose fields would not change is left alone (\"unchanged\").\n"
           u"  --point NAME     the new point name (at most 8 characters are used)\n"
           u"  --height METRES  the new antenna height in metres\n"
           u"  --dry-run        print what would change and touch nothing\n"
           u"\n"
           u"A rename never replaces an existing file, and nothing after byte 159 changes.\n"
           u"Exit status: 0 every file succeeded, 1 some file failed, 2 usage error.\n";
}

}  // namespace rvxedit

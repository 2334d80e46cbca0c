#include "save_input.h"

namespace saveinput {

namespace {

// FuzzedDataProvider ends a string at a backslash followed by any other byte, and reads a
// doubled backslash as one.
void AppendString(std::string* out, const std::string& s) {
    for (char c : s) {
        out->push_back(c);
        if (c == '\\') {
            out->push_back('\\');
        }
    }
    out->append("\\;");
}

}  // namespace

std::string Encode(const SaveInput& in) {
    std::string front;
    std::string flags;  // consumed from the last byte backwards
    auto flag = [&flags](bool b) { flags.insert(flags.begin(), b ? '\1' : '\0'); };
    flag(in.versionAsText);
    AppendString(&front, in.version);
    AppendString(&front, in.serial);
    AppendString(&front, in.date);
    flag(in.hasModel);
    AppendString(&front, in.model);
    flag(in.pointWide);
    AppendString(&front, in.pointName);
    flag(in.heightWide);
    AppendString(&front, in.height);
    return front + in.data + flags;
}

}  // namespace saveinput

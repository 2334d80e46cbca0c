#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "commands.h"
#include "escape.h"
#include "file_ops.h"
#include "folders.h"
#include "numbers.h"
#include "raw_view.h"
#include "text.h"

namespace rvxedit {

namespace {

// A file shorter than this has no millimetre field.
constexpr std::size_t kFieldEnd = rawfile::kMillimetreOffset + 4;

// The millimetre field as stored, read from the file's first bytes; empty when the file is too
// short to hold it or cannot be read.
std::optional<std::int32_t> ReadMillimetreField(const std::u16string& path) {
    std::FILE* file = rawfile::OpenForReading(path);
    if (file == nullptr) {
        return std::nullopt;
    }
    rawfile::HeaderBlock block{};
    const std::size_t n = std::fread(block.data(), 1, block.size(), file);
    std::fclose(file);
    if (n < kFieldEnd) {
        return std::nullopt;
    }
    return rawfile::MillimetresInBlock(block.data());
}

// True when the text's height and the millimetre field differ by more than half a millimetre.
bool HeightsDisagree(float metres, std::int32_t millimetres) {
    const double difference = static_cast<double>(metres) * 1000.0 - millimetres;
    return !(std::fabs(difference) <= 0.5);
}

std::u16string Decimal(double value, int decimals) {
    return rawfile::BytesToText(rawfile::FormatFixed(value, decimals));
}

// A number for JSON: null when it is not finite.
std::u16string JsonNumber(double value, int decimals) {
    return std::isfinite(value) ? Decimal(value, decimals) : u"null";
}

std::u16string TextLine(const rawfile::RawFileEditor& e, const std::optional<std::int32_t>& field,
                        const CliTexts& t) {
    const rawfile::LoadedFile& f = e.File();
    std::u16string fieldText = Fill(t.fieldNone, {rawfile::WholeNumberText(kFieldEnd)});
    if (field) {
        fieldText = Fill(t.fieldMillimetres, {rawfile::WholeNumberText(*field)});
        if (HeightsDisagree(f.values.antHeight, *field)) {
            fieldText += t.heightsDisagree;
        }
    }
    return OneLine(f.path) + u": " +
           Fill(t.showLine, {Quote(f.pointName), Quote(f.tail), Decimal(f.values.version, 1),
                             QuoteBytes(f.values.receiverId), QuoteBytes(f.values.date),
                             QuoteBytes(f.values.model), e.HeightText(), fieldText});
}

std::u16string JsonObject(const rawfile::LoadedFile& v, const std::optional<std::int32_t>& field) {
    const std::u16string fieldText = field ? rawfile::WholeNumberText(*field) : u"null";
    const bool disagree = field && HeightsDisagree(v.values.antHeight, *field);
    return u"{\"path\": " + JsonString(v.path) + u", \"point_name\": " + JsonString(v.pointName) +
           u", \"tail\": " + JsonString(v.tail) + u", \"version\": " +
           JsonNumber(v.values.version, 1) + u", \"receiver_serial\": " +
           JsonBytes(v.values.receiverId) + u", \"date\": " + JsonBytes(v.values.date) +
           u", \"model\": " + JsonBytes(v.values.model) + u", \"antenna_height_m\": " +
           JsonNumber(v.values.antHeight, 3) + u", \"millimetre_field\": " + fieldText +
           u", \"heights_disagree\": " + (disagree ? u"true" : u"false") + u"}";
}

}  // namespace

int RunShow(const Options& options, Console& console) {
    const CliTexts& t = console.Texts();
    std::vector<FileItem> items;
    for (const Arg& file : options.files) {
        ExpandArg(file, options.recursive, t, &items);
    }
    int status = 0;
    std::vector<std::u16string> objects;
    for (std::size_t i = 0; i < items.size(); ++i) {
        console.Progress(i, items.size());
        const Arg& file = items[i].path;
        rawfile::RawFileEditor editor;
        std::u16string reason = items[i].problem;
        std::u16string english = items[i].englishProblem;
        if (!reason.empty() || !LoadFile(file, t, &editor, &reason, &english)) {
            console.Err(OneLine(file.text) + u": " + reason);
            // "error" stays the same whatever the user's language, for programs to compare.
            objects.push_back(u"{\"path\": " + JsonString(file.text) + u", \"error\": " +
                              JsonString(english) + u", \"message\": " + JsonString(reason) + u"}");
            status = 1;
            continue;
        }
        const std::optional<std::int32_t> field = ReadMillimetreField(editor.Path());
        if (options.json) {
            objects.push_back(JsonObject(editor.File(), field));
        } else {
            console.Out(TextLine(editor, field, t));
        }
    }
    console.EndProgress();
    if (options.json) {
        console.Out(u"[");
        for (std::size_t i = 0; i < objects.size(); ++i) {
            console.Out(u"  " + objects[i] + (i + 1 < objects.size() ? u"," : u""));
        }
        console.Out(u"]");
    }
    return status;
}

}  // namespace rvxedit

#include "raw_file_name.h"

#include "text.h"

namespace rawfile {

PointName DerivePointName(const std::u16string& fileName) {
    const size_t n = fileName.size();
    if (n < 5) {
        return {u"", kStandardTail};
    }
    size_t split = n >= 9 ? n - 8 : n - 4;
    if (IsPairAt(fileName, split - 1)) {
        --split;  // the tail takes the whole pair
    }
    return {fileName.substr(0, split), fileName.substr(split)};
}

std::u16string CutPointName(const std::u16string& pointName) {
    if (pointName.size() <= kMaxPointNameUnits) {
        return pointName;
    }
    size_t keep = kMaxPointNameUnits;
    if (IsHighSurrogate(pointName[keep - 1])) {
        --keep;  // the 8th unit opens a pair whose second half would be cut off
    }
    return pointName.substr(0, keep);
}

bool IsValidPointName(const std::u16string& pointName) {
    for (char16_t c : pointName) {
        if (c < 0x20) {
            return false;
        }
        switch (c) {
            case u'\\':
            case u'/':
            case u':':
            case u'*':
            case u'?':
            case u'"':
            case u'<':
            case u'>':
            case u'|':
                return false;
            default:
                break;
        }
    }
    return true;
}

bool IsReservedDeviceName(const std::u16string& fileName) {
    std::u16string_view stem(fileName);
    stem = stem.substr(0, stem.find(u'.'));
    // Windows takes "CON .RVX" for the device as well.
    while (!stem.empty() && stem.back() == u' ') {
        stem.remove_suffix(1);
    }
    for (const char16_t* device : {u"CON", u"PRN", u"AUX", u"NUL"}) {
        if (SameIgnoringAsciiCase(stem, device)) {
            return true;
        }
    }
    // The port's digit may also be a superscript one, two or three, which Windows reads as
    // the same digit ("COM\u00B9" is COM1).
    if (stem.size() != 4) {
        return false;
    }
    const std::u16string_view port = stem.substr(0, 3);
    const char16_t digit = stem[3];
    return (SameIgnoringAsciiCase(port, u"COM") || SameIgnoringAsciiCase(port, u"LPT")) &&
           ((digit >= u'1' && digit <= u'9') || digit == u'\u00B9' || digit == u'\u00B2' ||
            digit == u'\u00B3');
}

std::u16string ComposeRawPath(const std::u16string& folder, const std::u16string& pointName,
                              const std::u16string& tail) {
    return folder + CutPointName(pointName) + tail;
}

}  // namespace rawfile

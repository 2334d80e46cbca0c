#include "console.h"

#include <optional>
#include <string>

#include "numbers.h"
#include "text.h"

namespace rvxedit {

namespace {

// A batch that finishes sooner than this shows no progress line.
constexpr std::chrono::milliseconds kMoment{500};
// The progress line is redrawn at most this often.
constexpr std::chrono::milliseconds kRedraw{100};
// Result lines gathered up to about this many characters are written together.
constexpr std::size_t kOutPiece = 16 * 1024;

// Why standard output first failed, if it did; and whether either stream failed.
std::optional<std::u16string> outFailure;
bool writeFailed = false;

// The characters a terminal shows two columns wide: the East Asian wide and full-width blocks.
bool IsWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
           (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
}

}  // namespace

std::size_t DisplayWidth(const std::u16string& text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        width += IsWide(rawfile::CodePointAt(text, &i)) ? 2 : 1;
    }
    return width;
}

ProgressLine::ProgressLine(Clock::time_point start) : start_(start), drawn_(start - kRedraw) {}

bool ProgressLine::Due(Clock::time_point now) const {
    return now - start_ >= kMoment && now - drawn_ >= kRedraw;
}

std::u16string ProgressLine::Draw(const std::u16string& text, Clock::time_point now) {
    drawn_ = now;
    const std::size_t width = DisplayWidth(text);
    // Blanks over what a wider line before it leaves.
    const std::size_t blanks = shownWidth_ > width ? shownWidth_ - width : 0;
    shownWidth_ = width + blanks;
    return u"\r" + text + std::u16string(blanks, u' ');
}

std::u16string ProgressLine::Clear() {
    if (shownWidth_ == 0) {
        return u"";
    }
    const std::size_t width = shownWidth_;
    shownWidth_ = 0;
    return u"\r" + std::u16string(width, u' ') + u"\r";
}

void WriteRaw(Stream stream, const std::u16string& text) {
    std::u16string reason;
    if (PutText(stream, text, &reason)) {
        return;
    }
    if (stream == Stream::kOut && !outFailure) {
        outFailure = reason;
    }
    writeFailed = true;
}

void WriteLine(Stream stream, const std::u16string& line) {
    WriteRaw(stream, line + LineEnd(stream));
}

int FinishOutput(int status, const CliTexts& t) {
    if (outFailure) {
        WriteLine(Stream::kErr, u"rvxedit: " + Fill(t.outputFailed, {*outFailure}));
    }
    return writeFailed && status == 0 ? 1 : status;
}

Console::Console(const CliTexts& texts)
    : texts_(texts),
      outIsTerminal_(IsTerminal(Stream::kOut)),
      errIsTerminal_(IsTerminal(Stream::kErr)),
      outLineEnd_(LineEnd(Stream::kOut)),
      progress_(ProgressLine::Clock::now()) {}

Console::~Console() {
    Flush();
}

void Console::Flush() {
    if (!pending_.empty()) {
        WriteRaw(Stream::kOut, pending_);
        pending_.clear();
    }
}

void Console::Out(const std::u16string& line) {
    // Results redirected elsewhere leave the progress line on the terminal alone.
    if (outIsTerminal_) {
        EndProgress();
    }
    pending_ += line;
    pending_ += outLineEnd_;
    if (outIsTerminal_ || pending_.size() >= kOutPiece) {
        Flush();
    }
}

void Console::Err(const std::u16string& line) {
    Flush();
    EndProgress();
    WriteLine(Stream::kErr, u"rvxedit: " + line);
}

void Console::Progress(std::size_t done, std::size_t total) {
    const auto now = ProgressLine::Clock::now();
    if (!errIsTerminal_ || done >= total || !progress_.Due(now)) {
        return;
    }
    WriteRaw(Stream::kErr,
             progress_.Draw(u"rvxedit: " + Fill(texts_.progress, {rawfile::WholeNumberText(done),
                                                                  rawfile::WholeNumberText(total)}),
                            now));
}

void Console::EndProgress() {
    const std::u16string clear = progress_.Clear();
    if (!clear.empty()) {
        WriteRaw(Stream::kErr, clear);
    }
}

}  // namespace rvxedit

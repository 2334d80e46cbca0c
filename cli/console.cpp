#include "console.h"

#include <optional>
#include <string>

namespace rvxedit {

namespace {

// A batch that finishes sooner than this shows no progress line.
constexpr std::chrono::milliseconds kMoment{500};
// The progress line is redrawn at most this often.
constexpr std::chrono::milliseconds kRedraw{100};

// Why standard output first failed, if it did; and whether either stream failed.
std::optional<std::u16string> outFailure;
bool writeFailed = false;

std::u16string Number(std::size_t n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

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
      start_(std::chrono::steady_clock::now()) {}

void Console::Out(const std::u16string& line) {
    // Results redirected elsewhere leave the progress line on the terminal alone.
    if (outIsTerminal_) {
        EndProgress();
    }
    WriteLine(Stream::kOut, line);
}

void Console::Err(const std::u16string& line) {
    EndProgress();
    WriteLine(Stream::kErr, u"rvxedit: " + line);
}

void Console::Progress(std::size_t done, std::size_t total) {
    if (!errIsTerminal_ || done >= total || std::chrono::steady_clock::now() - start_ < kMoment) {
        return;
    }
    const std::u16string text = u"rvxedit: " + Fill(texts_.progress, {Number(done), Number(total)});
    WriteRaw(Stream::kErr, u"\r" + text);
    shownWidth_ = text.size();
}

void Console::EndProgress() {
    if (shownWidth_ == 0) {
        return;
    }
    WriteRaw(Stream::kErr, u"\r" + std::u16string(shownWidth_, u' ') + u"\r");
    shownWidth_ = 0;
}

}  // namespace rvxedit

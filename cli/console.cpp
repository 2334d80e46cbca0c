#include "console.h"

#include <string>

namespace rvxedit {

namespace {

// A batch that finishes sooner than this shows no progress line.
constexpr std::chrono::milliseconds kMoment{500};
// The progress line is redrawn at most this often.
constexpr std::chrono::milliseconds kRedraw{100};

std::u16string Number(std::size_t n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

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

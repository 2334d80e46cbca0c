// Standard output and standard error as lines of UTF-16 text, with a progress line for long
// batches when standard error is a terminal.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "cli_texts.h"

namespace rvxedit {

enum class Stream { kOut, kErr };

// Writes one line of text (the line end is added): UTF-8 on POSIX and when a Windows stream
// is redirected, wide text through the console on a Windows console.
void WriteLine(Stream stream, const std::u16string& line);

// Writes text without a line end, straight to the terminal (for the progress line). A stream
// that does not take all of it (a full disk, a closed stream) is noted for FinishOutput.
void WriteRaw(Stream stream, const std::u16string& text);

// The program's exit status: `status`, or 1 in place of 0 when a write to standard output or
// standard error failed, which it then reports on standard error if that still takes it.
int FinishOutput(int status, const CliTexts& t);

// Platform parts. Writes all of `text`; false with the system's *reason when it could not.
bool PutText(Stream stream, const std::u16string& text, std::u16string* reason);
// The line end the stream takes.
std::u16string LineEnd(Stream stream);
// True when the stream is an interactive terminal or console.
bool IsTerminal(Stream stream);

// The language the user's environment asks for: Chinese when the first of LC_ALL, LC_MESSAGES
// and LANG that is set begins with "zh" (on Windows, when the user's interface language is
// Chinese), English otherwise.
texts::Language UserLanguage();

// The columns `text` takes on a terminal: two for each East Asian wide or full-width character
// (a surrogate pair is one character), one for any other.
std::size_t DisplayWidth(const std::u16string& text);

// When the progress line is drawn and what draws and clears it, apart from the terminal: a batch
// that ends within half a second shows none, and the line is redrawn at most every 100 ms.
class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;
    explicit ProgressLine(Clock::time_point start);
    // True when a line may be drawn at `now`.
    bool Due(Clock::time_point now) const;
    // What to write to show `text` in place of the line shown, noting `now` as its time.
    std::u16string Draw(const std::u16string& text, Clock::time_point now);
    // What to write to remove the line shown; empty when none is shown.
    std::u16string Clear();

private:
    Clock::time_point start_;
    Clock::time_point drawn_;     // when a line was last drawn
    std::size_t shownWidth_ = 0;  // in columns; 0 when no line is shown
};

// Result lines going to a file or pipe are gathered and written in pieces of some kilobytes;
// on a terminal each shows at once. Problem lines and the progress line go out at once, after
// the results gathered before them.
class Console {
public:
    explicit Console(const CliTexts& texts);
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;
    // Writes the results still gathered.
    ~Console();
    // The texts of the language the program speaks.
    const CliTexts& Texts() const { return texts_; }
    // A result line on standard output.
    void Out(const std::u16string& line);
    // A problem line on standard error, prefixed with the program's name.
    void Err(const std::u16string& line);
    // Notes that `done` of `total` files are finished; once the batch has run for a moment,
    // shows that on a terminal's standard error.
    void Progress(std::size_t done, std::size_t total);
    // Removes the progress line, if one is shown.
    void EndProgress();
    // Writes the result lines gathered so far.
    void Flush();

private:
    const CliTexts& texts_;
    bool outIsTerminal_;
    bool errIsTerminal_;
    std::u16string outLineEnd_;
    std::u16string pending_;  // result lines not yet written
    ProgressLine progress_;
};

}  // namespace rvxedit

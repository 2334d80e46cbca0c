// Builds raw files for tests, fuzzing and benchmarks: header lines plus receiver bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace rawgen {

using Bytes = std::string;

// The header lines of a typical file, without line ends.
std::vector<std::string> StandardLines();

// Joins lines with CR LF and zero-fills the result to 160 bytes (longer headers stay longer).
Bytes MakeHeader(const std::vector<std::string>& lines);

// Receiver data: `size` pseudo-random bytes with line feeds, never starting a line with a
// header key's first letter, so no key is ever found in it.
Bytes ReceiverData(std::size_t size, std::uint32_t seed);

// A whole standard file: StandardLines() with the given height text, plus receiver data.
Bytes StandardFile(const std::string& antHigh = "1.500", std::size_t dataSize = 4096);

// A scratch folder removed with everything in it when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The folder's path with a trailing separator, as UTF-16 text.
    std::u16string Folder() const;
    // The path of `name` inside the folder.
    std::u16string Path(const std::u16string& name) const;

private:
    std::filesystem::path dir_;
};

void WriteFile(const std::u16string& path, const Bytes& bytes);
Bytes ReadFile(const std::u16string& path);
bool FileExists(const std::u16string& path);

}  // namespace rawgen

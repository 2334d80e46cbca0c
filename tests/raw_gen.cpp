#include "raw_gen.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

#include "header_block.h"

namespace rawgen {

namespace fs = std::filesystem;

std::vector<std::string> StandardLines() {
    return {"VORTALIX COLLECTED DATA FILE",
            "ver 2.0",
            "ReceiverID:A1B2C3",
            "Date:2026-03-27",
            "Model:VX-10 GNSS",
            "AntHigh:1.500"};
}

Bytes MakeHeader(const std::vector<std::string>& lines) {
    Bytes out;
    for (const auto& line : lines) {
        out += line + "\r\n";
    }
    out.resize(std::max<std::size_t>(out.size(), 160), '\0');
    return out;
}

Bytes ReceiverData(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out(size, '\0');
    bool lineStart = true;
    for (auto& c : out) {
        const auto r = static_cast<std::uint32_t>(rng());
        c = static_cast<char>((r & 0x3F) == 0 ? '\n' : static_cast<char>(r >> 24));
        for (const char* key : rawfile::kKeys) {
            c = lineStart && c == key[0] ? '#' : c;
        }
        lineStart = c == '\n';
    }
    return out;
}

Bytes StandardFile(const std::string& antHigh, std::size_t dataSize) {
    auto lines = StandardLines();
    lines.back() = "AntHigh:" + antHigh;
    return MakeHeader(lines) + ReceiverData(dataSize, 7);
}

TempDir::TempDir() {
    std::random_device rd;
    do {
        dir_ = fs::temp_directory_path() / ("rvxtest-" + std::to_string(rd()));
    } while (!fs::create_directory(dir_));
}

TempDir::~TempDir() {
    std::error_code ec;  // a destructor never throws: what cannot be removed stays
    fs::remove_all(dir_, ec);
}

std::u16string TempDir::Folder() const {
    return (dir_ / "").u16string();
}

std::u16string TempDir::Path(const std::u16string& name) const {
    return (dir_ / name).u16string();
}

void WriteFile(const std::u16string& path, const Bytes& bytes) {
    std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write a test file");
    }
}

Bytes ReadFile(const std::u16string& path) {
    std::ifstream in(fs::path(path), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::u16string& path) {
    std::error_code ec;
    return fs::exists(fs::path(path), ec);
}

}  // namespace rawgen

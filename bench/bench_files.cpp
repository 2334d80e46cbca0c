#include "bench_files.h"

#include <cstdio>
#include <random>

#include "raw_gen.h"

namespace bench {

namespace {

rawgen::Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    rawgen::Bytes out(size, '\0');
    for (auto& c : out) {
        c = static_cast<char>(rng() >> 24);
    }
    return out;
}

}  // namespace

bool WriteRawFile(const std::string& path, const std::vector<std::string>& lines,
                  std::uint64_t size, Data data) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    const rawgen::Bytes header = rawgen::MakeHeader(lines);
    bool ok = std::fwrite(header.data(), 1, header.size(), out) == header.size();
    // Eight different pieces of receiver data, repeated; each starts a new line.
    std::vector<rawgen::Bytes> pieces;
    for (std::uint32_t seed = 1; seed <= 8; ++seed) {
        rawgen::Bytes piece =
            data == Data::kText ? rawgen::ReceiverData(1 << 20, seed) : RandomBytes(1 << 20, seed);
        piece.back() = '\n';
        pieces.push_back(piece);
    }
    std::uint64_t written = header.size();
    for (std::size_t i = 0; ok && written < size; ++i) {
        const rawgen::Bytes& piece = pieces[i % pieces.size()];
        const std::uint64_t left = size - written;
        const std::size_t n = left < piece.size() ? static_cast<std::size_t>(left) : piece.size();
        ok = std::fwrite(piece.data(), 1, n, out) == n;
        written += n;
    }
    return std::fclose(out) == 0 && ok;
}

std::string ReadPart(const std::string& path, std::uint64_t offset, std::size_t count) {
    std::string out;
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        return out;
    }
#ifdef _WIN32
    const bool placed = _fseeki64(in, static_cast<long long>(offset), SEEK_SET) == 0;
#else
    const bool placed = fseeko(in, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
    if (placed) {
        out.resize(count);
        out.resize(std::fread(&out[0], 1, count, in));
    }
    std::fclose(in);
    return out;
}

bool WriteBatch(const std::string& folder, std::size_t files, std::uint64_t size) {
    // One file's bytes, written under every name.
    if (!WriteRawFile(folder + "model", rawgen::StandardLines(), size)) {
        return false;
    }
    const std::string bytes = ReadPart(folder + "model", 0, static_cast<std::size_t>(size));
    std::remove((folder + "model").c_str());
    std::string log = "file,point,height\n";
    for (std::size_t i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "R%06zu0861.RVX", i);
        std::FILE* out = std::fopen((folder + name).c_str(), "wb");
        if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() ||
            std::fclose(out) != 0) {
            return false;
        }
        char row[64];
        std::snprintf(row, sizeof row, "%s,S%06zu,1.6%02zu\n", name, i, i % 100);
        log += row;
    }
    std::FILE* out = std::fopen((folder + "log.csv").c_str(), "wb");
    return out != nullptr && std::fwrite(log.data(), 1, log.size(), out) == log.size() &&
           std::fclose(out) == 0;
}

}  // namespace bench

// Large raw files for the benchmarks, written in pieces so that no file is ever held in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// The receiver data after the header: text-like lines of about 64 bytes that never start with a
// key's first letter, or binary data (uniformly random bytes, so line feeds are rare and most
// lines are cut after 159 bytes).
enum class Data { kText, kBinary };

// Writes a raw file of `size` bytes: a header made of `lines`, then receiver data in which no
// key is ever found. False when the file cannot be written (a full disk, say).
bool WriteRawFile(const std::string& path, const std::vector<std::string>& lines,
                  std::uint64_t size, Data data = Data::kText);

// The bytes of the file from `offset` on, up to `count` bytes.
std::string ReadPart(const std::string& path, std::uint64_t offset, std::size_t count);

}  // namespace bench

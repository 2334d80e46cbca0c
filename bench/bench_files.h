// Large raw files for the benchmarks, written in pieces so that no file is ever held in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// Writes a raw file of `size` bytes: a header made of `lines`, then receiver data in which no
// key is ever found. False when the file cannot be written (a full disk, say).
bool WriteRawFile(const std::string& path, const std::vector<std::string>& lines,
                  std::uint64_t size);

// The bytes of the file from `offset` on, up to `count` bytes.
std::string ReadPart(const std::string& path, std::uint64_t offset, std::size_t count);

}  // namespace bench

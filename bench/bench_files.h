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

// Writes `files` raw files of `size` bytes into `folder` (which ends in a separator), named
// R000000..R<files-1> with "0861.RVX" after the number, and a field log "log.csv" that renames
// each to S<same number> and changes its height. False when something cannot be written.
bool WriteBatch(const std::string& folder, std::size_t files, std::uint64_t size);

}  // namespace bench

// Which item of a batch first claimed each key (a file, a name in a folder): one flat table of
// keys and indexes, filled to at most seven eighths: a claim allocates nothing of its own, and its
// probes read neighbouring slots.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace rawfile {

template <typename Key, typename Hash, typename Same>
class ClaimTable {
public:
    // Makes room for `count` claims at once.
    void Reserve(std::size_t count) {
        std::size_t size = 16;
        while (size * 7 < count * 8) {
            size *= 2;
        }
        if (size > slots_.size()) {
            Rebuild(size);
        }
    }

    // Lets every claim go, and the table's memory with them.
    void Clear() {
        std::vector<Slot>().swap(slots_);
        count_ = 0;
    }

    // The index that claimed `key` first: `index` itself where none did before, which then
    // holds it.
    std::size_t Claim(const Key& key, std::size_t index) {
        const auto own = static_cast<std::uint32_t>(index);
        if ((count_ + 1) * 8 > slots_.size() * 7) {
            Rebuild(std::max<std::size_t>(16, slots_.size() * 2));
        }
        const std::uint64_t full = Hash()(key);
        const auto hash = static_cast<std::uint32_t>(full ^ (full >> 32));
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = Start(hash);; at = (at + 1) & mask) {
            Slot& slot = slots_[at];
            if (slot.index == kFree) {
                slot = Slot{hash, own, key};
                ++count_;
                return index;
            }
            if (slot.hash == hash && Same()(slot.key, key)) {
                return slot.index;
            }
        }
    }

private:
    // Indexes and hashes are kept in 32 bits, which keeps a slot small: a batch's items are
    // far fewer than 2^32 (a log is at most 64 MiB long).
    static constexpr std::uint32_t kFree = 0xFFFFFFFFu;
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t index = kFree;
        Key key{};
    };

    // Where a hash's probe starts: its product's top bits, which mix in all of its bits.
    std::size_t Start(std::uint32_t hash) const {
        return static_cast<std::size_t>((hash * 0x9E3779B97F4A7C15u) >> (64 - bits_));
    }

    void Rebuild(std::size_t size) {
        std::vector<Slot> old(size);
        old.swap(slots_);
        bits_ = 0;
        while ((std::size_t{1} << bits_) < size) {
            ++bits_;
        }
        const std::size_t mask = slots_.size() - 1;
        for (const Slot& slot : old) {
            if (slot.index != kFree) {
                std::size_t at = Start(slot.hash);
                while (slots_[at].index != kFree) {
                    at = (at + 1) & mask;
                }
                slots_[at] = slot;
            }
        }
    }

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
    unsigned bits_ = 0;
};

}  // namespace rawfile

#include "key_search.h"

#include <cstring>
#include <string>

namespace keysearch {

using rawfile::LoadResult;

int FindKeyLine(const char* key, char* line, std::FILE* stream) {
    std::rewind(stream);
    const std::size_t keyLen = std::strlen(key);
    while (!std::feof(stream)) {
        if (std::fgets(line, static_cast<int>(rawfile::kBlockSize), stream) == nullptr) {
            return 0;
        }
        if (std::strlen(line) >= keyLen && std::memcmp(line, key, keyLen) == 0) {
            return 1;
        }
    }
    return 0;
}

LoadResult LoadKeyByKey(std::FILE* stream) {
    std::string lines[rawfile::kKeyCount];
    const std::string* found[rawfile::kKeyCount];
    for (std::size_t k = 0; k < rawfile::kKeyCount; ++k) {
        char line[rawfile::kBlockSize] = {};
        found[k] = FindKeyLine(rawfile::kKeys[k], line, stream) == 1 ? &(lines[k] = line) : nullptr;
    }
    return rawfile::ResultFromKeyLines(found);
}

bool SameResult(const LoadResult& a, const LoadResult& b) {
    return a.error == b.error &&
           std::memcmp(&a.values.version, &b.values.version, sizeof(double)) == 0 &&
           a.values.receiverId == b.values.receiverId && a.values.date == b.values.date &&
           a.values.model == b.values.model &&
           std::memcmp(&a.values.antHeight, &b.values.antHeight, sizeof(float)) == 0;
}

}  // namespace keysearch

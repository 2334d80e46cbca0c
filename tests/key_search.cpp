#include "key_search.h"

#include <cstring>
#include <optional>
#include <string>

namespace keysearch {

using rawfile::LoadError;
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
    bool have[rawfile::kKeyCount];
    for (std::size_t k = 0; k < rawfile::kKeyCount; ++k) {
        char line[rawfile::kBlockSize] = {};
        have[k] = FindKeyLine(rawfile::kKeys[k], line, stream) == 1;
        lines[k] = line;
    }
    LoadResult r;
    auto fail = [&r](LoadError error) {
        r.error = error;
        return r;
    };
    if (!have[0]) {
        return fail(LoadError::kNoVersion);
    }
    r.values.version = rawfile::VersionFromLine(lines[0]);
    if (!have[1]) {
        return fail(LoadError::kNoReceiverId);
    }
    r.values.receiverId = rawfile::ReceiverIdFromLine(lines[1]);
    if (!have[2]) {
        return fail(LoadError::kNoDate);
    }
    const std::optional<std::string> date = rawfile::DateFromLine(lines[2]);
    if (!date) {
        return fail(LoadError::kDateTooLong);
    }
    r.values.date = *date;
    r.values.model = have[3] ? rawfile::ModelFromLine(lines[3]) : std::string();
    if (!have[4]) {
        return fail(LoadError::kNoAntHeight);
    }
    r.values.antHeight = rawfile::AntHeightFromLine(lines[4]);
    return r;
}

bool SameResult(const LoadResult& a, const LoadResult& b) {
    return a.error == b.error &&
           std::memcmp(&a.values.version, &b.values.version, sizeof(double)) == 0 &&
           a.values.receiverId == b.values.receiverId && a.values.date == b.values.date &&
           a.values.model == b.values.model &&
           std::memcmp(&a.values.antHeight, &b.values.antHeight, sizeof(float)) == 0;
}

}  // namespace keysearch

// Writes the seed inputs of the fuzz targets: raw files for the load target and encoded saves
// for the save target, all made by the test-file generator. Usage: make_seeds <folder>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_check.h"
#include "raw_gen.h"

namespace {

namespace fs = std::filesystem;
using rawgen::Bytes;

std::vector<std::string> Replace(const std::string& prefix, const std::string& line) {
    std::vector<std::string> out;
    for (const auto& l : rawgen::StandardLines()) {
        if (l.rfind(prefix, 0) != 0) {
            out.push_back(l);
        } else if (!line.empty()) {
            out.push_back(line);
        }
    }
    return out;
}

std::vector<Bytes> LoadSeeds() {
    const Bytes data = rawgen::ReceiverData(1500, 3);
    std::vector<Bytes> seeds = {rawgen::StandardFile("1.500", 1500), std::string(160, '\0'),
                                std::string(159, 'x'), std::string()};
    // Each key missing, with receiver data after it, and odd values.
    for (const char* key : {"Model:", "ver", "ReceiverID:", "Date:", "AntHigh:"}) {
        seeds.push_back(rawgen::MakeHeader(Replace(key, "")) + data);
    }
    for (const auto& [key, line] : std::vector<std::pair<std::string, std::string>>{
             {"Date:", "Date:1234567890123"},
             {"Date:", "Date:12345678901234"},
             {"ver", "version 3"},
             {"ver", "ver 1e300"},
             {"ReceiverID:", "ReceiverID:AB-1234"},
             {"AntHigh:", "AntHigh:-1.5"},
             {"Model:", "Model:" + std::string(150, 'M')},
             {"Model:", "Model:" + std::string(200, 'M')}}) {
        seeds.push_back(rawgen::MakeHeader(Replace(key, line)));
    }
    // The height key only in the receiver data, after a line longer than 159 bytes.
    seeds.push_back(rawgen::MakeHeader(Replace("AntHigh:", "")) + std::string(300, 'z') +
                    "\nAntHigh:2.25\n");
    // LF-only line ends, and a key line that ends the file without LF.
    seeds.push_back("ver 2.1\nReceiverID:Q9\nDate:2026-01-02\nModel:X\nAntHigh:1.6");
    // A zero byte inside the version line.
    Bytes zero = rawgen::MakeHeader(rawgen::StandardLines());
    zero[zero.find("ver 2.0") + 4] = '\0';
    seeds.push_back(zero);
    return seeds;
}

// A save input as fuzz_check.h lays it out.
struct SaveSeed {
    std::uint8_t flags = 0;
    std::string version = " 2.0\r\n", serial = "A1B2C3\r\n", date = "2026-03-27\r\n";
    std::string model = "VX-10 GNSS\r\n", pointName = "EFGH", height = "1.6";
    std::string data = rawgen::ReceiverData(300, 5);

    std::string Encode() const {
        std::string out(1, static_cast<char>(flags));
        for (const std::string* f : {&version, &serial, &date, &model, &pointName, &height}) {
            out += *f + fuzzcheck::kFieldEnd;
        }
        return out + data;
    }
};

std::vector<SaveSeed> SaveSeeds() {
    std::vector<SaveSeed> seeds;
    for (const char* h : {"1.6",         "2",           "1.2345",       "-1.5",
                          "-1.600",      "0.0004",      "abc",          "",
                          "1,5",         "1.5m",        " 1.5 ",        "1.50000000000000",
                          "2147483.647", "2147483.648", "-2147483.648", "1e300",
                          "1e13",        "-0.0005",     "+.5",          "5.",
                          "1e-3"}) {
        seeds.emplace_back().height = h;
    }
    for (const char* p : {"", "LONGNAME12", "A\\B", "a:b", "Q?", "\x01x", "SRC_"}) {
        seeds.emplace_back().pointName = p;
    }
    // UTF-16: seven letters then a surrogate pair across the 8th unit.
    seeds.emplace_back().flags = fuzzcheck::kPointWide;
    seeds.back().pointName = std::string("A\0B\0C\0D\0E\0F\0G\0\x3D\xD8\x00\xDE", 18);
    seeds.emplace_back().flags = fuzzcheck::kHeightWide;
    seeds.back().height = std::string(
        "1\0.\0"
        "5\0",
        6);
    // Texts near and past the millimetre field and past the block.
    for (std::size_t n : {30, 40, 44, 48, 60, 80, 120}) {
        seeds.emplace_back().model = std::string(n, 'M') + "\r\n";
    }
    seeds.emplace_back().version = " 1e300";
    seeds.emplace_back().flags = fuzzcheck::kNoModel;
    seeds.emplace_back().flags = fuzzcheck::kRawVersion;
    seeds.emplace_back().date = "12345678901234\n";
    return seeds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const fs::path root(argv[1]);
    fs::create_directories(root / "load");
    fs::create_directories(root / "save");
    int n = 0;
    for (const Bytes& seed : LoadSeeds()) {
        std::ofstream(root / "load" / ("seed" + std::to_string(n++)), std::ios::binary) << seed;
    }
    n = 0;
    for (const SaveSeed& seed : SaveSeeds()) {
        std::ofstream(root / "save" / ("seed" + std::to_string(n++)), std::ios::binary)
            << seed.Encode();
    }
    return 0;
}

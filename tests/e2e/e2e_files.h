// Raw files for the end-to-end tests, and the fixture every dialog test starts from.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "driver.h"
#include "raw_gen.h"
#include "text.h"

namespace e2e {

std::wstring W(const std::u16string& text);
std::u16string U16(const std::wstring& text);

// The bytes of a standard raw file with height `antHigh` and some receiver data.
rawgen::Bytes StandardRawFile(const std::string& antHigh = "1.500");

// A scratch folder and a Chinese interface (the language value 0) for each test.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes `bytes` as `name` in the scratch folder and returns its path.
    std::wstring MakeFile(const std::u16string& name, const rawgen::Bytes& bytes);
    std::wstring PathOf(const std::u16string& name) const { return W(dir_.Path(name)); }
    bool Exists(const std::u16string& name) const { return rawgen::FileExists(dir_.Path(name)); }
    rawgen::Bytes Read(const std::u16string& name) const {
        return rawgen::ReadFile(dir_.Path(name));
    }

    rawgen::TempDir dir_;
};

}  // namespace e2e

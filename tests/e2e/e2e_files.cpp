#include "e2e_files.h"

namespace e2e {

std::wstring W(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

std::u16string U16(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

rawgen::Bytes StandardRawFile(const std::string& antHigh) {
    return rawgen::StandardFile(antHigh, 3000);
}

void DialogTest::SetUp() {
    DeleteProfile();
    WriteLanguageValue(0);
}

void DialogTest::TearDown() {
    DeleteProfile();
}

std::wstring DialogTest::MakeFile(const std::u16string& name, const rawgen::Bytes& bytes) {
    rawgen::WriteFile(dir_.Path(name), bytes);
    return W(dir_.Path(name));
}

}  // namespace e2e

// Run inside a brand-new Wine prefix by fresh_prefix_package_test.sh: the unpacked package alone
// starts on the sample file and shows it.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "driver.h"
#include "gtest/gtest.h"
#include "resource.h"

namespace {

TEST(Package, StartsOnTheSampleFromItsOwnFolder) {
    const char* unpacked = std::getenv("RVX_PACKAGE_DIR");
    ASSERT_NE(unpacked, nullptr) << "RVX_PACKAGE_DIR names the unpacked package";
    const std::wstring folder = e2e::WindowsPathOf(unpacked) + L"\\";
    const std::wstring sample = folder + L"ABCD0861.RVX";

    e2e::Program program(e2e::Quoted(sample), folder + L"RVXTOOL.exe", folder);
    program.ExpectNoPopup();
    EXPECT_EQ(e2e::Utf8(program.Text(IDC_POINT_NAME)), "ABCD");
    EXPECT_EQ(e2e::Utf8(program.Text(IDC_PATH)), e2e::Utf8(sample));
    EXPECT_EQ(e2e::Utf8(program.Text(IDC_IMPORT)), "Import RVX file") << "English by default";
    program.Close();
}

}  // namespace

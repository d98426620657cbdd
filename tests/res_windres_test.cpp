// Both Windows builds carry the resources sim reads: each mingw-w64 resource compiler turns the
// script into the same bytes as the .res the host build compiled. Skipped where a cross tool is
// not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

bool HaveTool(const std::string& tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

std::vector<char> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ResWindres : public ::testing::TestWithParam<const char*> {};

TEST_P(ResWindres, CompilesTheScriptToTheBytesSimReads) {
    const std::string windres = GetParam();
    if (!HaveTool(windres))
        GTEST_SKIP() << windres << " is not installed";
    const fs::path rc = fs::path(HX_ART_DIR) / "HxSetup.rc";
    const fs::path out = fs::path(::testing::TempDir()) / (windres + "-HxSetup.res");
    const std::string cmd = windres + " -I '" + rc.parent_path().string() + "' '" + rc.string() +
                            "' -O res -o '" + out.string() + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << windres << " rejected " << rc;
    const std::vector<char> compiled = ReadAll(out);
    ASSERT_FALSE(compiled.empty());
    EXPECT_TRUE(compiled == ReadAll(HX_RES_FILE)) << out << " differs from " << HX_RES_FILE;
}

INSTANTIATE_TEST_SUITE_P(Mingw, ResWindres,
                         ::testing::Values("x86_64-w64-mingw32-windres",
                                           "i686-w64-mingw32-windres"),
                         [](const auto& info) {
                             return std::string(info.param).substr(0, 4) == "i686" ? "x86" : "x64";
                         });

} // namespace

#include "FuzzReaders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using namespace brimlark;
namespace fs = std::filesystem;

// Every input that ever broke a reader (fuzz/regressions) and every seed,
// read again by the real readers with the fuzz targets' checks: a crash, an
// abort or a sanitizer report fails the run, without any fuzzing.
TEST(FuzzCorpus, EveryKeptInputReadsAgain)
{
    const char *source = std::getenv("BRIMLARK_SOURCE_DIR");
    ASSERT_TRUE(source);
    for (const auto &target : fuzz::targets()) {
        std::size_t seeds = 0;
        for (const char *kind : { "seeds", "regressions" }) {
            const fs::path folder = fs::path(source) / "fuzz" / kind / target.name;
            std::error_code ec;
            for (const auto &entry : fs::directory_iterator(folder, ec)) {
                std::ifstream in(entry.path(), std::ios::binary);
                const std::string bytes(
                    (std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
                std::cerr << "reading " << entry.path() << '\n';
                target.read(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
                seeds += std::string(kind) == "seeds";
            }
        }
        EXPECT_GT(seeds, 0u) << target.name << " has no seeds";
    }
}

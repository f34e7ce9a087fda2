// Replays a corpus through a harness built with the normal compiler: every
// file of the folders given, in name order, through LLVMFuzzerTestOneInput,
// whose checks abort on a broken invariant. A folder with no file fails, so
// that a corpus that went missing is not a silent pass.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"

int main(int argc, char** argv)
{
    size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        std::vector<std::filesystem::path> files;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(argv[i], error))
            if (entry.is_regular_file())
                files.push_back(entry.path());
        if (error || files.empty()) {
            fprintf(stderr, "%s: no corpus files\n", argv[i]);
            return 1;
        }
        std::sort(files.begin(), files.end());
        for (const auto& path : files) {
            std::ifstream in(path, std::ios::binary);
            const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            printf("%s\n", path.filename().c_str());
            fflush(stdout);
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    printf("%zu inputs replayed, every invariant held\n", replayed);
    return 0;
}

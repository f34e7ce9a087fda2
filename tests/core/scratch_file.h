// Small helpers of the core tests: files with given bytes in the working
// folder (tmpfile() is not reliable under every runtime), read back whole.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

namespace vorn::test {

using Bytes = std::vector<unsigned char>;

inline Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

// A file in the working folder that is removed when it goes out of scope.
struct ScratchFile {
    std::string path;
    explicit ScratchFile(const std::string& name, const Bytes& content = {}) : path("scratch-" + name)
    {
        FILE* f = fopen(path.c_str(), "wb");
        if (f) {
            if (!content.empty())
                fwrite(content.data(), 1, content.size(), f);
            fclose(f);
        }
    }
    ~ScratchFile() { remove(path.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    FILE* Open(const char* mode) const { return fopen(path.c_str(), mode); }
    Bytes Read() const
    {
        Bytes out;
        if (FILE* f = fopen(path.c_str(), "rb")) {
            int c;
            while ((c = getc(f)) != EOF)
                out.push_back(static_cast<unsigned char>(c));
            fclose(f);
        }
        return out;
    }
};

}  // namespace vorn::test

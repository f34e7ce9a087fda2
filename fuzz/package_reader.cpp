// Fuzz target: verify's package reader. Any bytes are a file: verify's
// verdict is one line, and a program it calls sound is one the installer
// would install from: a model of the installer's own reading (the loader's
// walk to raw-data resource 5, whose four bytes it compares with the CRC its
// scan computes), written apart from the packer's PE reader, accepts it.
#include <string>

#include "fuzz/fuzz_check.h"
#include "package/package_scan.h"
#include "packer/package_reader.h"

namespace {

using vorn::Bytes;

struct Reader {
    const Bytes& b;
    bool ok = true;
    uint32_t At(uint64_t at, int width)
    {
        if (at + width > b.size()) {
            ok = false;
            return 0;
        }
        uint32_t v = 0;
        for (int i = width - 1; i >= 0; --i)
            v = v << 8 | b[at + i];
        return v;
    }
};

// MZ, and the PE signature where the DOS header points: a program, which
// verify reads as one (anything else is a bare package).
bool SaysItIsAProgram(const Bytes& file)
{
    Reader r{file};
    const bool mz = r.At(0, 2) == 0x5A4D;
    return mz && r.At(r.At(0x3C, 4), 4) == 0x4550 && r.ok;
}

// The CRC the installer compares with, as a loader finds raw-data 5 and the
// installer takes it (four bytes, else none); false when it gets none.
bool InstallerSlot(const Bytes& file, uint32_t* crc)
{
    Reader r{file};
    if (r.At(0, 2) != 0x5A4D)
        return false;
    const uint64_t pe = r.At(0x3C, 4);
    if (r.At(pe, 4) != 0x4550 || !r.ok)
        return false;
    const uint32_t sections = r.At(pe + 6, 2), optionalSize = r.At(pe + 20, 2);
    const uint64_t optional = pe + 24;
    const bool plus = r.At(optional, 2) == 0x20B;
    const uint64_t directories = optional + (plus ? 112 : 96);
    if (r.At(optional + (plus ? 108 : 92), 4) < 3 || directories + 24 > optional + optionalSize)
        return false;
    const uint32_t imageSize = r.At(optional + 56, 4), root = r.At(directories + 16, 4);
    // An RVA in the file: inside a section's file bytes.
    auto fileAt = [&](uint64_t rva, uint64_t size, uint64_t* at) {
        for (uint32_t i = 0; i < sections; ++i) {
            const uint64_t h = optional + optionalSize + 40ull * i;
            const uint64_t va = r.At(h + 12, 4), raw = r.At(h + 16, 4), ptr = r.At(h + 20, 4);
            const uint64_t virt = r.At(h + 8, 4), inFile = std::min(raw, virt ? virt : raw);
            if (r.ok && rva >= va && rva + size <= va + inFile) {
                *at = ptr + (rva - va);
                return *at + size <= file.size();
            }
        }
        return false;
    };
    // The entry of a table for an id (named entries come first), or the first.
    auto entry = [&](uint32_t table, bool first, uint32_t id, uint32_t* target) {
        uint64_t at;
        if (!fileAt(uint64_t{root} + table, 16, &at))
            return false;
        const uint32_t named = r.At(at + 12, 2), count = named + r.At(at + 14, 2);
        for (uint32_t i = first ? 0 : named; i < count; ++i) {
            uint64_t e;
            if (!fileAt(uint64_t{root} + table + 16 + 8ull * i, 8, &e))
                return false;
            if (first || r.At(e, 4) == id) {
                *target = r.At(e + 4, 4);
                return r.ok;
            }
        }
        return false;
    };
    uint32_t names, languages, data;
    if (!entry(0, false, 10, &names) || !(names & 0x80000000) ||
        !entry(names & 0x7FFFFFFF, false, 5, &languages) || !(languages & 0x80000000) ||
        !entry(languages & 0x7FFFFFFF, true, 0, &data) || (data & 0x80000000))
        return false;
    uint64_t dataAt, slotAt;
    if (!fileAt(uint64_t{root} + data, 16, &dataAt))
        return false;
    const uint32_t rva = r.At(dataAt, 4), size = r.At(dataAt + 4, 4);
    if (size != 4 || uint64_t{rva} + 4 > imageSize || !fileAt(rva, 4, &slotAt))
        return false;
    *crc = r.At(slotAt, 4);
    return r.ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Bytes file(data, data + size);
    vorn::CheckedPackage checked;
    std::string error;
    const bool sound = vorn::CheckPackageBytes("file", file, &checked, &error);
    FUZZ_CHECK(sound || (!error.empty() && error.find('\n') == std::string::npos), "a refusal not of one line");
    if (!sound || !SaysItIsAProgram(file))
        return 0;
    FILE* stream = tmpfile();
    FUZZ_CHECK(stream && fwrite(data, 1, size, stream) == size && fseek(stream, 0, SEEK_SET) == 0,
               "no scratch stream");
    const uint32_t scanned = vorn::ScanPackageStream(stream);
    fclose(stream);
    uint32_t slot = 0;
    const bool installs = InstallerSlot(file, &slot) && scanned != 0 && scanned == slot;
    FUZZ_CHECK(installs, "verify calls sound a program the installer refuses");
    return 0;
}

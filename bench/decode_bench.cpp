// Decode throughput of the member decoder (MB/s of output) on a realistic
// 1.5 MB binary and on text, beside `gzip -d` on the same data in the same
// run, and the packed sizes beside `gzip -9`.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "decoder/member_decoder.h"
#include "packer/member_encoder.h"

namespace {

using vorn::Bytes;

constexpr size_t kSampleSize = 1536000;  // the largest member, the client program

Bytes ReadPrefix(const char* path, size_t limit)
{
    Bytes b;
    if (FILE* f = fopen(path, "rb")) {
        for (int c; b.size() < limit && (c = getc(f)) != EOF;)
            b.push_back(static_cast<uint8_t>(c));
        fclose(f);
    }
    return b;
}

// A real executable from this machine, cut to the size of the client program.
Bytes BinarySample()
{
    for (const char* path : {"/usr/bin/cmake", "/usr/bin/gdb", "/usr/lib/x86_64-linux-gnu/libstdc++.so.6"}) {
        Bytes b = ReadPrefix(path, kSampleSize);
        if (b.size() == kSampleSize)
            return b;
    }
    std::abort();
}

// English prose and manual pages from this machine's documentation.
Bytes TextSample()
{
    Bytes text;
    FILE* p = popen("cat /usr/share/common-licenses/* 2>/dev/null", "r");
    for (int c; p && (c = getc(p)) != EOF;)
        text.push_back(static_cast<uint8_t>(c));
    if (p)
        pclose(p);
    Bytes out;
    while (out.size() < kSampleSize)
        out.insert(out.end(), text.begin(), text.end());
    out.resize(kSampleSize);
    return out;
}

struct Sample {
    const char* name;
    Bytes data;
    std::string memberPath;  // our member stream
    std::string gzipPath;    // gzip -9 of the same data
    size_t packed = 0;
    size_t gzipped = 0;
};

size_t FileSize(const std::string& path)
{
    FILE* f = fopen(path.c_str(), "rb");
    fseek(f, 0, SEEK_END);
    size_t n = static_cast<size_t>(ftell(f));
    fclose(f);
    return n;
}

Sample Prepare(const char* name, Bytes data)
{
    Sample s{name, std::move(data), std::string("/tmp/vorn-bench-") + name + ".member",
             std::string("/tmp/vorn-bench-") + name + ".gz"};
    Bytes stream;
    std::string error;
    if (!vorn::EncodeMember(s.data, &stream, &error))
        std::abort();
    FILE* f = fopen(s.memberPath.c_str(), "wb");
    fwrite(stream.data(), 1, stream.size(), f);
    fclose(f);
    std::string raw = std::string("/tmp/vorn-bench-") + name + ".raw";
    f = fopen(raw.c_str(), "wb");
    fwrite(s.data.data(), 1, s.data.size(), f);
    fclose(f);
    if (std::system(("gzip -9 -c " + raw + " > " + s.gzipPath).c_str()) != 0)
        std::abort();
    s.packed = stream.size();
    s.gzipped = FileSize(s.gzipPath);
    return s;
}

void DecodeMember(benchmark::State& state, const Sample* s)
{
    vorn::MemberProgressSink quiet = {[](void*) { return 160; }, [](void*, uint32_t, uint32_t) {},
                                      [](void*) {}, nullptr};
    for (auto _ : state) {
        FILE* in = fopen(s->memberPath.c_str(), "rb");
        FILE* out = fopen("/dev/null", "wb");
        if (!vorn::DecodeMember(in, out, quiet))
            state.SkipWithError("decode failed");
        fclose(out);
        fclose(in);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s->data.size()));
    state.counters["packed_bytes"] = static_cast<double>(s->packed);
}

void GzipDecompress(benchmark::State& state, const Sample* s)
{
    std::string command = "gzip -d -c " + s->gzipPath + " > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("gzip failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s->data.size()));
    state.counters["packed_bytes"] = static_cast<double>(s->gzipped);
}

void Encode(benchmark::State& state, const Sample* s)
{
    for (auto _ : state) {
        Bytes stream;
        std::string error;
        benchmark::DoNotOptimize(vorn::EncodeMember(s->data, &stream, &error));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s->data.size()));
}

}  // namespace

int main(int argc, char** argv)
{
    static Sample binary = Prepare("binary", BinarySample());
    static Sample text = Prepare("text", TextSample());
    printf("%-8s %10s %12s %12s\n", "sample", "size", "vorn packed", "gzip -9");
    for (const Sample* s : {&binary, &text})
        printf("%-8s %10zu %12zu %12zu\n", s->name, s->data.size(), s->packed, s->gzipped);
    for (const Sample* s : {&binary, &text}) {
        benchmark::RegisterBenchmark((std::string("DecodeMember/") + s->name).c_str(), DecodeMember, s)
            ->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark((std::string("GzipDecompress/") + s->name).c_str(), GzipDecompress, s)
            ->Unit(benchmark::kMillisecond)->UseRealTime();  // gzip runs in a child process
        benchmark::RegisterBenchmark((std::string("EncodeMember/") + s->name).c_str(), Encode, s)
            ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

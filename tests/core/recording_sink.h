// A member progress sink that records every call, for the decoder's tests.
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "decoder/member_decoder.h"

namespace vorn::test {

struct RecordingSink {
    int width = 160;
    int widthCalls = 0;
    int repaints = 0;
    std::vector<std::pair<uint32_t, uint32_t>> reports;

    MemberProgressSink Sink()
    {
        return {[](void* c) { auto* s = static_cast<RecordingSink*>(c); ++s->widthCalls; return s->width; },
                [](void* c, uint32_t done, uint32_t total) {
                    static_cast<RecordingSink*>(c)->reports.emplace_back(done, total);
                },
                [](void* c) { ++static_cast<RecordingSink*>(c)->repaints; }, this};
    }
};

}  // namespace vorn::test

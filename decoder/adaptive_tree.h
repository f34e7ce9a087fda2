// The adaptive Huffman tree shared by the member decoder and the packer's
// encoder: literals and match lengths share one code whose weights grow with
// every symbol, so both sides must run exactly these updates.
#pragma once
#include <cstdint>

namespace vorn {

constexpr int kRingSize = 4096;          // history window, positions masked with 0xFFF
constexpr int kRingMask = kRingSize - 1;
constexpr int kLongestMatch = 60;
constexpr int kShortestMatch = 3;
constexpr int kStartPosition = kRingSize - kLongestMatch;  // 4036, first write of a member
constexpr uint8_t kPresetByte = 0x20;    // ring positions 0..4035 at the start of a member
constexpr int kSymbolCount = 256 + kLongestMatch - kShortestMatch + 1;  // 314
constexpr int kNodeCount = 2 * kSymbolCount - 1;                        // 627
constexpr int kRoot = kNodeCount - 1;                                   // 626
constexpr int kLeafMark = kNodeCount;    // child value >= 627: a leaf for symbol (value - 627)
constexpr uint16_t kCountLimit = 0x8000; // root weight at which the tree is rebuilt
constexpr int kFirstMatchSymbol = 256;

static_assert(kSymbolCount == 314 && kNodeCount == 627 && kStartPosition == 4036,
              "stream format constants");

// Match symbol for a match length, and back.
constexpr int MatchSymbol(int length) { return length + kFirstMatchSymbol - kShortestMatch; }
constexpr int MatchLength(int symbol) { return symbol - kFirstMatchSymbol + kShortestMatch; }

struct AdaptiveTree {
    uint16_t count[kNodeCount + 1];        // node weights, sorted; [627] is the 0xFFFF sentinel
    int16_t child[kNodeCount];             // first child node, or kLeafMark + symbol
    int16_t parent[kNodeCount + kSymbolCount];  // parent of each node; [627 + s] holds symbol s's leaf
};

void ResetTree(AdaptiveTree& tree);
void RebuildTree(AdaptiveTree& tree);
void UpdateTree(AdaptiveTree& tree, int symbol);

}  // namespace vorn

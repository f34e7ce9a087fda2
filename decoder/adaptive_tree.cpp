// Reset, update and rebuild of the adaptive Huffman tree.
#include "decoder/adaptive_tree.h"

#include <cstring>

namespace vorn {

// The reset (once a member) and the rebuild (once the weights reach their
// limit) are cold beside the update (once a symbol): compiled for size.
[[gnu::cold]] void ResetTree(AdaptiveTree& t)
{
    for (int s = 0; s < kSymbolCount; ++s) {
        t.count[s] = 1;
        t.child[s] = static_cast<int16_t>(s + kLeafMark);
        t.parent[s + kLeafMark] = static_cast<int16_t>(s);
    }
    for (int i = 0, n = kSymbolCount; n < kNodeCount; ++n, i += 2) {
        t.count[n] = static_cast<uint16_t>(t.count[i] + t.count[i + 1]);
        t.child[n] = static_cast<int16_t>(i);
        t.parent[i] = t.parent[i + 1] = static_cast<int16_t>(n);
    }
    t.count[kNodeCount] = 0xFFFF;
    t.parent[kRoot] = 0;
}

[[gnu::cold]] void RebuildTree(AdaptiveTree& t)
{
    // Gather the leaves into nodes 0..313, halving their weights.
    int j = 0;
    for (int n = 0; n < kNodeCount; ++n) {
        if (t.child[n] >= kLeafMark) {
            t.count[j] = static_cast<uint16_t>((t.count[n] + 1) / 2);
            t.child[j] = t.child[n];
            ++j;
        }
    }
    // Join pairs into inner nodes, each inserted after every node of equal weight.
    for (int i = 0, n = kSymbolCount; n < kNodeCount; ++n, i += 2) {
        uint16_t f = static_cast<uint16_t>(t.count[i] + t.count[i + 1]);
        t.count[n] = f;
        int k = n - 1;
        while (f < t.count[k])
            --k;
        int p = k + 1;
        std::memmove(&t.count[p + 1], &t.count[p], (n - p) * sizeof t.count[0]);
        std::memmove(&t.child[p + 1], &t.child[p], (n - p) * sizeof t.child[0]);
        t.count[p] = f;
        t.child[p] = static_cast<int16_t>(i);
    }
    for (int n = 0; n < kNodeCount; ++n) {
        int a = t.child[n];
        t.parent[a] = static_cast<int16_t>(n);
        if (a < kLeafMark)
            t.parent[a + 1] = static_cast<int16_t>(n);
    }
}

void UpdateTree(AdaptiveTree& t, int symbol)
{
    if (t.count[kRoot] == kCountLimit)
        RebuildTree(t);
    int n = t.parent[symbol + kLeafMark];
    do {
        uint16_t k = ++t.count[n];
        if (k > t.count[n + 1]) {
            // Move the node past every node of lower weight: swap it with the last one.
            int m = n + 1;
            while (k > t.count[m + 1])
                ++m;
            t.count[n] = t.count[m];
            t.count[m] = k;
            int a = t.child[n];
            t.parent[a] = static_cast<int16_t>(m);
            if (a < kLeafMark)
                t.parent[a + 1] = static_cast<int16_t>(m);
            int b = t.child[m];
            t.child[m] = static_cast<int16_t>(a);
            t.parent[b] = static_cast<int16_t>(n);
            if (b < kLeafMark)
                t.parent[b + 1] = static_cast<int16_t>(n);
            t.child[n] = static_cast<int16_t>(b);
            n = m;
        }
        n = t.parent[n];
    } while (n != 0);  // the root's parent entry is 0
}

}  // namespace vorn

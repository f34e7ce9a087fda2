// Optimal LZSS parsing over the 4096-byte ring, coded with the decoder's own
// adaptive tree, and the search for an encoding that keeps the marker rules.
#include "packer/member_encoder.h"

#include <algorithm>
#include <cstring>

#include "decoder/adaptive_tree.h"
#include "decoder/offset_code.h"
#include "package/marker.h"

namespace vorn {
namespace {

constexpr int kParseBlock = 4096;  // positions priced with one snapshot of the code lengths

// Bits into bytes, most significant first, through a 64-bit accumulator that
// holds at most 7 bits between calls, so a whole code (at most 32 bits, none
// set above count) goes in with one shift.
class BitWriter {
public:
    explicit BitWriter(Bytes& out) : out_(out) {}
    void Put(uint32_t bits, int count)
    {
        acc_ = (acc_ << count) | bits;
        fill_ += count;
        while (fill_ >= 8) {
            fill_ -= 8;
            out_.push_back(static_cast<uint8_t>(acc_ >> fill_));
        }
        position_ += count;
    }
    void Flush()
    {
        if (fill_)
            out_.push_back(static_cast<uint8_t>(acc_ << (8 - fill_)));
        fill_ = 0;
    }
    size_t Position() const { return position_; }

private:
    Bytes& out_;
    uint64_t acc_ = 0;
    int fill_ = 0;
    size_t position_ = 0;
};

struct Encoder {
    AdaptiveTree tree;
    BitWriter bits;

    explicit Encoder(Bytes& out) : bits(out) { ResetTree(tree); }

    // Code length of a symbol in the tree as it stands.
    int SymbolCost(int symbol) const
    {
        int length = 0;
        for (int n = tree.parent[symbol + kLeafMark]; n != kRoot; n = tree.parent[n])
            ++length;
        return length;
    }

    void PutSymbol(int symbol)
    {
        uint32_t code = 0;
        int length = 0;
        // Walk from the leaf up: the leaf's own bit is the code's last.
        for (int n = tree.parent[symbol + kLeafMark]; n != kRoot; n = tree.parent[n]) {
            int p = tree.parent[n];
            code |= static_cast<uint32_t>(n - tree.child[p]) << length;  // 1 for the second child
            ++length;
        }
        bits.Put(code, length);
        UpdateTree(tree, symbol);
    }

    // The upper six bits' prefix code and the lower six bits in one go.
    void PutOffset(int d)
    {
        int u = d >> kOffsetLowBits;
        bits.Put(static_cast<uint32_t>(kOffsetCodes[u]) << kOffsetLowBits | (d & 0x3F),
                 OffsetCodeLength(u) + kOffsetLowBits);
    }
};

struct Match {
    int length = 0;
    int distance = 0;  // back from the write position: d + 1
};

// Binary trees over the data preceded by the ring's preset spaces, one tree
// per hash of three bytes: each tree holds the positions within the ring's
// reach sorted by the bytes that follow them (at most a longest match's
// worth), every node newer than the nodes below it. The search for a
// position walks from the newest node towards older ones and inserts the
// position as the new root on the way, so that the matches it meets are the
// nearest source for every length.
class MatchFinder {
public:
    explicit MatchFinder(const Bytes& data)
        : buffer_(kStartPosition + data.size() + kPadding, kPresetByte),
          end_(kStartPosition + static_cast<int>(data.size()))
    {
        std::copy(data.begin(), data.end(), buffer_.begin() + kStartPosition);
        head_.assign(1 << kHashBits, -1);
        smaller_.assign(kSlots, -1);
        greater_.assign(kSlots, -1);
        // The preset spaces: every position before the last longest match's
        // worth of them would only be replaced by the next, equal one.
        std::vector<Match> unused;
        for (int p = kStartPosition - kLongestMatch; p < kStartPosition; ++p) {
            unused.clear();
            FindAndInsert(p, unused);
        }
    }

    // The matches at p (a buffer position) that are longer than every nearer
    // one, in increasing length: for any length up to the longest, the first
    // match at least that long is the nearest source. Positions are given in
    // increasing order, each once; p itself then joins the trees.
    void FindAndInsert(int p, std::vector<Match>& found)
    {
        const int limit = std::min(kLongestMatch, End() - p);
        if (limit < kShortestMatch)
            return;  // no later position can reach a match through p either
        uint32_t h = Hash(p);
        int q = head_[h];
        head_[h] = p;
        // The holes where the next node below and above p goes: first p's own
        // two subtrees, then a right or left subtree of a node moved there.
        int* holeBelow = &smaller_[p & kSlotMask];
        int* holeAbove = &greater_[p & kSlotMask];
        int lengthBelow = 0;  // bytes every node in the lower hole shares with p
        int lengthAbove = 0;
        int best = kShortestMatch - 1;
        for (int depth = kMaxDepth; q >= 0 && p - q <= kRingSize && depth > 0; --depth) {
            int n = Extend(q, p, std::min(lengthBelow, lengthAbove), limit);
            if (n > best) {
                found.push_back({n, p - q});
                best = n;
            }
            const int slot = q & kSlotMask;
            if (n == limit) {
                // q's bytes are p's as far as any match reaches: p, nearer,
                // takes q's place and q leaves the tree.
                *holeBelow = smaller_[slot];
                *holeAbove = greater_[slot];
                return;
            }
            if (buffer_[q + n] < buffer_[p + n]) {
                *holeBelow = q;  // q and its lower subtree sort below p
                holeBelow = &greater_[slot];
                lengthBelow = n;
                q = greater_[slot];
            } else {
                *holeAbove = q;
                holeAbove = &smaller_[slot];
                lengthAbove = n;
                q = smaller_[slot];
            }
        }
        // Out of the ring's reach (every node further down is older still) or
        // past the depth allowed: the rest of the tree is dropped.
        *holeBelow = -1;
        *holeAbove = -1;
    }

private:
    // Depth of one search. Trees over real data stay far shallower; the cap
    // only bounds data built to make them deep, at the price of dropping the
    // oldest nodes there.
    static constexpr int kMaxDepth = 256;
    static constexpr int kHashBits = 14;
    // Node slots: positions modulo a power of two above the ring's reach, so
    // that a slot is reused only after its node has left the reach.
    static constexpr int kSlots = 2 * kRingSize;
    static constexpr int kSlotMask = kSlots - 1;
    static_assert(kSlots > kRingSize, "a node keeps its slot while within the ring's reach");

    static constexpr int kPadding = 8;  // bytes past the data that Extend may read

    int End() const { return end_; }

    // How far the bytes at q and p agree, from n (where they are known to
    // agree up to) to at most limit.
    int Extend(int q, int p, int n, int limit) const
    {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        // Eight bytes at a time: the lowest set bit of the difference is in
        // the first byte that differs.
        while (n < limit) {
            uint64_t a;
            uint64_t b;
            std::memcpy(&a, &buffer_[q + n], 8);
            std::memcpy(&b, &buffer_[p + n], 8);
            if (a != b)
                return std::min(limit, n + __builtin_ctzll(a ^ b) / 8);
            n += 8;
        }
        return limit;
#else
        while (n < limit && buffer_[q + n] == buffer_[p + n])
            ++n;
        return n;
#endif
    }

    uint32_t Hash(int p) const
    {
        uint32_t v = buffer_[p] << 16 | buffer_[p + 1] << 8 | buffer_[p + 2];
        return (v * 2654435761u) >> (32 - kHashBits);
    }

    Bytes buffer_;
    int end_;
    std::vector<int> head_;     // newest position of each hash, the root of its tree
    std::vector<int> smaller_;  // per slot: the root of the node's lower subtree
    std::vector<int> greater_;  // per slot: the root of its upper subtree
};

// Items' first bits, with whether each is a match, for the marker search.
// Eight bytes each, as incompressible data has one per byte: a member holds
// at most 16 MB and no item takes 32 bits a byte, so bit positions stay
// below 2^29.
struct Item {
    uint32_t bit;
    uint32_t dataPosition : 31;
    uint32_t match : 1;
};
static_assert(sizeof(Item) == 8, "items stay small");

// Optimal parsing a block at a time: the cheapest path through the block's
// literals and matches, priced with the code lengths of the tree as it stands
// at the block's start, then coded with the tree adapting as usual.
Bytes Encode(const Bytes& data, const std::vector<bool>* noMatchAt, std::vector<Item>* items)
{
    uint32_t size = static_cast<uint32_t>(data.size());
    Bytes out = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                 static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24)};
    out.reserve(4 + data.size() + data.size() / 8 + 8);  // literals' codes, 9 bits at most in a fresh tree
    Encoder enc(out);
    MatchFinder finder(data);
    if (items)
        items->reserve(data.size());  // at most one item per byte
    const int n = static_cast<int>(data.size());

    std::vector<Match> found;                 // the block's matches, position after position
    std::vector<int> firstFound(kParseBlock + 1);  // where each position's matches start in found
    std::vector<Match> skipped;
    std::vector<uint32_t> cost(kParseBlock + 1);
    std::vector<Match> step(kParseBlock + 1);  // the item that reaches each position
    std::vector<Match> path;
    int symbolCost[kSymbolCount];

    for (int start = 0; start < n; start += kParseBlock) {
        const int length = std::min(kParseBlock, n - start);
        for (int s = 0; s < kSymbolCount; ++s)
            symbolCost[s] = enc.SymbolCost(s);
        found.clear();
        for (int k = 0; k < length; ++k) {
            int i = start + k;
            firstFound[k] = static_cast<int>(found.size());
            // A forbidden match still has its position join the trees.
            skipped.clear();
            finder.FindAndInsert(kStartPosition + i, noMatchAt && (*noMatchAt)[i] ? skipped : found);
        }
        firstFound[length] = static_cast<int>(found.size());

        std::fill(cost.begin(), cost.begin() + length + 1, UINT32_MAX);
        cost[0] = 0;
        for (int k = 0; k < length; ++k) {
            uint32_t literal = cost[k] + symbolCost[data[start + k]];
            if (literal < cost[k + 1]) {
                cost[k + 1] = literal;
                step[k + 1] = {1, 0};
            }
            int shorter = kShortestMatch - 1;
            for (int f = firstFound[k]; f < firstFound[k + 1]; ++f) {
                const Match& m = found[f];
                uint32_t offsetBits = OffsetCodeLength((m.distance - 1) >> kOffsetLowBits) + kOffsetLowBits;
                for (int l = shorter + 1; l <= std::min(m.length, length - k); ++l) {
                    uint32_t c = cost[k] + symbolCost[MatchSymbol(l)] + offsetBits;
                    if (c < cost[k + l]) {
                        cost[k + l] = c;
                        step[k + l] = {l, m.distance};
                    }
                }
                shorter = m.length;
            }
        }

        path.clear();
        for (int k = length; k > 0; k -= step[k].length)
            path.push_back(step[k]);
        int i = start;
        for (auto it = path.rbegin(); it != path.rend(); ++it) {
            bool match = it->distance != 0;
            if (items)
                items->push_back({static_cast<uint32_t>(enc.bits.Position()), static_cast<uint32_t>(i), match});
            if (match) {
                enc.PutSymbol(MatchSymbol(it->length));
                enc.PutOffset(it->distance - 1);
            } else {
                enc.PutSymbol(data[i]);
            }
            i += it->length;
        }
    }
    enc.bits.Flush();
    return out;
}

}  // namespace

Bytes EncodeMemberStream(const Bytes& data, const std::vector<bool>* noMatchAt)
{
    return Encode(data, noMatchAt, nullptr);
}

long FindMarkerFault(const Bytes& stream)
{
    MarkerMatcher m;
    for (size_t i = 0; i < stream.size(); ++i) {
        int pending = 0;
        if (FeedMatcher(m, stream[i], &pending) == MatchStep::Marker)
            return static_cast<long>(i) - (kMarkerLength - 1);
    }
    return m.matched ? static_cast<long>(stream.size()) : -1;
}

namespace {

// The item whose code holds a bit of the bit stream: the last that starts at
// or before it.
size_t ItemAt(const std::vector<Item>& items, size_t bit)
{
    auto next = std::upper_bound(items.begin(), items.end(), bit,
                                 [](size_t b, const Item& item) { return b < item.bit; });
    return static_cast<size_t>(next - items.begin()) - 1;
}

// True when a match could start at some data position below end: its three
// bytes stand earlier within the ring's reach, in the data or the preset spaces.
bool AnyMatchBefore(const Bytes& data, size_t end)
{
    Bytes buffer(kStartPosition, kPresetByte);
    buffer.insert(buffer.end(), data.begin(), data.end());
    for (size_t p = kStartPosition; p < kStartPosition + end && p + kShortestMatch <= buffer.size(); ++p) {
        for (size_t q = p > kRingSize ? p - kRingSize : 0; q < p; ++q)
            if (std::equal(buffer.begin() + q, buffer.begin() + q + kShortestMatch, buffer.begin() + p))
                return true;
    }
    return false;
}

// Why the data cannot be packed, in words a maintainer can act on: where the
// marker forms, whether any coding could avoid it, and what helps.
std::string RefusalReason(const Bytes& data, const std::vector<Item>& items, long fault)
{
    // The marker's bits in the bit stream, which starts after the 4-byte
    // header (whose last byte, 0 below 16 MB, takes no part in a marker).
    size_t firstBit = static_cast<size_t>(fault - 4) * 8;
    size_t lastItem = ItemAt(items, firstBit + kMarkerLength * 8 - 1);
    size_t first = items[ItemAt(items, firstBit)].dataPosition;
    size_t last = (lastItem + 1 < items.size() ? items[lastItem + 1].dataPosition : data.size()) - 1;
    auto range = [](size_t from, size_t to) { return std::to_string(from) + "-" + std::to_string(to); };
    std::string marker = std::string("the package marker \"") + PackageMarker + "\"";
    std::string at = " at byte " + std::to_string(fault) + " of the member stream";
    // Changing one of the bytes changes their coding. Bytes put in front only
    // shift it, by whole bytes when their own codes are whole bytes long (a
    // fresh tree codes 0x74-0xFF in 8 bits), and may leave the codes behind
    // them as they were: the marker then forms again, further on.
    constexpr const char* kWhatHelps =
        "changing one of them changes their coding, while bytes added in front only shift it and may "
        "leave the marker in place";
    // Without a match to take, every byte up to the marker is a literal whose
    // code the bytes before it fix: then no coding at all avoids the marker.
    if (!AnyMatchBefore(data, last + 1))
        return "cannot be packed: the codes of its bytes " + range(first, last) + " form " + marker + at +
               ", and no coding of bytes " + range(0, last) +
               " avoids it (they repeat no three bytes and hold no run of three spaces, so each can only be coded "
               "as itself); " + kWhatHelps;
    return "cannot be packed: " + marker + " forms in every coding tried, in the last" + at +
           " from the codes of its bytes " + range(first, last) + "; " + kWhatHelps;
}

}  // namespace

bool EncodeMember(const Bytes& data, Bytes* stream, std::string* error)
{
    if (data.empty() || data.size() > 0xFFFFFFu) {
        *error = data.empty() ? "empty file" : "larger than 16 MB";
        return false;
    }
    std::vector<bool> noMatchAt(data.size(), false);
    std::vector<Item> items;
    long fault = -1;
    for (int attempt = 0; attempt < 64; ++attempt) {
        items.clear();
        Bytes out = Encode(data, &noMatchAt, &items);
        fault = FindMarkerFault(out);
        if (fault < 0) {
            *stream = std::move(out);
            return true;
        }
        if (fault == static_cast<long>(out.size())) {
            // A partial match pending at the end: a zero byte after the last
            // item closes it and is never decoded.
            out.push_back(0);
            *stream = std::move(out);
            return true;
        }
        // A marker inside the stream: code differently the last match that
        // starts at or before the marker's bits, which changes every bit
        // from there on, and try again.
        // Item positions count from the bit stream, after the 4-byte header,
        // so the marker's bits end at bit fault * 8 there.
        size_t markerEnd = static_cast<size_t>(fault) * 8;
        auto it = std::find_if(items.rbegin(), items.rend(),
                               [&](const Item& item) { return item.match && item.bit < markerEnd; });
        if (it == items.rend())
            break;
        noMatchAt[it->dataPosition] = true;
    }
    *error = RefusalReason(data, items, fault);
    return false;
}

}  // namespace vorn

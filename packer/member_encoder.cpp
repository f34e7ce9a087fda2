// Lazy LZSS parsing over the 4096-byte ring, coded with the decoder's own
// adaptive tree, and the search for an encoding that keeps the marker rules.
#include "packer/member_encoder.h"

#include <algorithm>

#include "decoder/adaptive_tree.h"
#include "decoder/offset_code.h"
#include "package/marker.h"

namespace vorn {
namespace {

constexpr int kMaxChain = 512;  // candidates tried per position
constexpr int kHashBits = 15;

class BitWriter {
public:
    explicit BitWriter(Bytes& out) : out_(out) {}
    void Put(uint32_t bits, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            acc_ = static_cast<uint8_t>((acc_ << 1) | ((bits >> i) & 1));
            if (++fill_ == 8) {
                out_.push_back(acc_);
                acc_ = 0;
                fill_ = 0;
            }
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
    uint8_t acc_ = 0;
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

    void PutOffset(int d)
    {
        int u = d >> kOffsetLowBits;
        bits.Put(kOffsetCodes[u], OffsetCodeLength(u));
        bits.Put(d & 0x3F, kOffsetLowBits);
    }
};

struct Match {
    int length = 0;
    int distance = 0;  // back from the write position: d + 1
};

// Hash chains over the data preceded by the ring's preset spaces.
class MatchFinder {
public:
    explicit MatchFinder(const Bytes& data) : buffer_(kStartPosition + data.size(), kPresetByte)
    {
        std::copy(data.begin(), data.end(), buffer_.begin() + kStartPosition);
        head_.assign(1 << kHashBits, -1);
        prev_.assign(buffer_.size(), -1);
        for (int p = 0; p < kStartPosition; ++p)
            Insert(p);
    }
    int End() const { return static_cast<int>(buffer_.size()); }

    void Insert(int p)
    {
        if (p + 2 >= End())
            return;
        uint32_t h = Hash(p);
        prev_[p] = head_[h];
        head_[h] = p;
    }

    // Longest match at p (a buffer position), nearest first among equals.
    Match Find(int p) const
    {
        Match best;
        int limit = std::min(kLongestMatch, End() - p);
        if (limit < kShortestMatch)
            return best;
        int chain = kMaxChain;
        for (int q = head_[Hash(p)]; q >= 0 && p - q <= kRingSize && chain-- > 0; q = prev_[q]) {
            if (buffer_[q + best.length] != buffer_[p + best.length])
                continue;
            int n = 0;
            while (n < limit && buffer_[q + n] == buffer_[p + n])
                ++n;
            if (n > best.length) {
                best = {n, p - q};
                if (n == limit)
                    break;
            }
        }
        if (best.length < kShortestMatch)
            best = {};
        return best;
    }

private:
    uint32_t Hash(int p) const
    {
        uint32_t v = buffer_[p] << 16 | buffer_[p + 1] << 8 | buffer_[p + 2];
        return (v * 2654435761u) >> (32 - kHashBits);
    }

    Bytes buffer_;
    std::vector<int> head_;
    std::vector<int> prev_;
};

// Items' first bits, with whether each is a match, for the marker search.
struct Item {
    size_t bit;
    size_t dataPosition;
    bool match;
};

Bytes Encode(const Bytes& data, const std::vector<bool>* noMatchAt, std::vector<Item>* items)
{
    uint32_t size = static_cast<uint32_t>(data.size());
    Bytes out = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                 static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24)};
    Encoder enc(out);
    MatchFinder finder(data);
    auto allowed = [&](int i) { return !noMatchAt || !(*noMatchAt)[i]; };

    int i = 0;
    const int n = static_cast<int>(data.size());
    Match next = allowed(0) ? finder.Find(kStartPosition) : Match{};
    while (i < n) {
        Match m = next;
        int p = kStartPosition + i;
        finder.Insert(p);
        next = (i + 1 < n && allowed(i + 1)) ? finder.Find(p + 1) : Match{};
        // Lazy step: a longer match one byte on is worth a literal now.
        bool take = m.length >= kShortestMatch && next.length <= m.length;
        if (take) {
            int matchBits = enc.SymbolCost(MatchSymbol(m.length)) +
                            OffsetCodeLength((m.distance - 1) >> kOffsetLowBits) + kOffsetLowBits;
            int literalBits = 0;
            for (int k = 0; k < m.length; ++k)
                literalBits += enc.SymbolCost(data[i + k]);
            take = matchBits < literalBits;
        }
        if (items)
            items->push_back({enc.bits.Position(), static_cast<size_t>(i), take});
        if (!take) {
            enc.PutSymbol(data[i]);
            ++i;
            continue;
        }
        enc.PutSymbol(MatchSymbol(m.length));
        enc.PutOffset(m.distance - 1);
        for (int k = 1; k < m.length; ++k)
            finder.Insert(p + k);
        i += m.length;
        next = (i < n && allowed(i)) ? finder.Find(kStartPosition + i) : Match{};
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
    JoinPackageMarker();
    MarkerMatcher m;
    for (size_t i = 0; i < stream.size(); ++i) {
        int pending = 0;
        if (FeedMatcher(m, stream[i], &pending) == MatchStep::Marker)
            return static_cast<long>(i) - (kMarkerLength - 1);
    }
    return m.matched ? static_cast<long>(stream.size()) : -1;
}

bool EncodeMember(const Bytes& data, Bytes* stream, std::string* error)
{
    if (data.empty() || data.size() > 0xFFFFFFu) {
        *error = data.empty() ? "empty file" : "larger than 16 MB";
        return false;
    }
    std::vector<bool> noMatchAt(data.size(), false);
    for (int attempt = 0; attempt < 64; ++attempt) {
        std::vector<Item> items;
        Bytes out = Encode(data, &noMatchAt, &items);
        long fault = FindMarkerFault(out);
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
    *error = "no encoding free of the package marker was found";
    return false;
}

}  // namespace vorn

#include "package/deflate_walk.h"

#include <array>
#include <cstring>
#include <limits>

namespace engine
{
namespace
{

constexpr unsigned kMaxCodeLength = 15;
constexpr unsigned kFastBits = 10;
constexpr unsigned kLiteralLengthCodes = 288;
constexpr unsigned kDistanceCodes = 32;
constexpr unsigned kEndOfBlock = 256;
constexpr std::uint64_t kWindow = 32768;

constexpr std::array<std::uint16_t, 29> kLengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                       15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                       67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> kDistanceExtra = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                         4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                         9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr std::array<std::uint8_t, 19> kCodeLengthOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                           11, 4,  12, 3, 13, 2, 14, 1, 15};

// Least significant bit first, as deflate packs its fields. Reading past
// the end yields zero bits and is caught by Overrun().
class BitReader
{
  public:
    explicit BitReader(std::string_view bytes)
        : data_(reinterpret_cast<const unsigned char *>(bytes.data())), size_(bytes.size())
    {
    }

    // At least 56 bits are buffered afterwards; false once the reader is
    // surely past the end, so that zero bits cannot be decoded for ever.
    bool Refill()
    {
        if (next_ + 8 <= size_) {
            // One unaligned load; the bits past the 56th are loaded again later.
            std::uint64_t word;
            std::memcpy(&word, data_ + next_, sizeof word);
            buffer_ |= word << count_;
            next_ += (63 - count_) >> 3;
            count_ |= 56;
            return true;
        }
        while (count_ <= 56) {
            const std::uint64_t byte = next_ < size_ ? data_[next_] : 0;
            buffer_ |= byte << count_;
            ++next_;
            count_ += 8;
        }
        return next_ < size_ + 8;
    }
    std::uint64_t Buffered() const { return buffer_; }
    // Whether fewer bits are buffered than one symbol may take.
    bool Buffered48() const { return count_ < 48; }
    std::uint32_t Peek(unsigned bits) const
    {
        return static_cast<std::uint32_t>(buffer_ & ((std::uint64_t(1) << bits) - 1));
    }
    void Skip(unsigned bits)
    {
        buffer_ >>= bits;
        count_ -= bits;
    }
    std::uint32_t Take(unsigned bits)
    {
        const std::uint32_t value = Peek(bits);
        Skip(bits);
        return value;
    }
    void SkipToByte() { Skip(count_ % 8); }
    std::uint64_t Position() const { return next_ * 8 - count_; }
    bool Overrun() const { return Position() > std::uint64_t(size_) * 8; }
    // Jumps over whole bytes at a byte boundary.
    void SkipBytes(std::uint64_t bytes)
    {
        const std::uint64_t target = Position() / 8 + bytes;
        buffer_ = 0;
        count_ = 0;
        next_ = target;
    }

  private:
    const unsigned char *data_;
    std::uint64_t size_;
    std::uint64_t next_ = 0; // next byte to load
    std::uint64_t buffer_ = 0;
    unsigned count_ = 0;
};

std::uint32_t Reversed(std::uint32_t code, unsigned length)
{
    std::uint32_t reversed = 0;
    for (unsigned i = 0; i < length; ++i, code >>= 1)
        reversed = (reversed << 1) | (code & 1);
    return reversed;
}

// A canonical Huffman code: a table for codes up to kFastBits long, and the
// counting decoder of RFC 1951 for the rare longer ones.
class HuffmanCode
{
  public:
    bool Build(const std::uint8_t *lengths, unsigned symbols)
    {
        count_.fill(0);
        fast_.fill(0);
        for (unsigned symbol = 0; symbol < symbols; ++symbol)
            ++count_[lengths[symbol]];
        count_[0] = 0;
        int left = 1;
        for (unsigned length = 1; length <= kMaxCodeLength; ++length) {
            left = left * 2 - count_[length];
            if (left < 0)
                return false; // over-subscribed
        }
        std::array<std::uint32_t, kMaxCodeLength + 2> offset{};
        std::array<std::uint32_t, kMaxCodeLength + 1> nextCode{};
        for (unsigned length = 1; length <= kMaxCodeLength; ++length) {
            offset[length + 1] = offset[length] + count_[length];
            nextCode[length] = (nextCode[length - 1] + count_[length - 1]) << 1;
        }
        for (unsigned symbol = 0; symbol < symbols; ++symbol) {
            const unsigned length = lengths[symbol];
            if (length == 0)
                continue;
            symbol_[offset[length]++] = static_cast<std::uint16_t>(symbol);
            const std::uint32_t code = Reversed(nextCode[length]++, length);
            if (symbol == kEndOfBlock) {
                endOfBlockCode_ = code;
                endOfBlockLength_ = length;
            }
            if (length <= kFastBits)
                for (std::uint32_t slot = code; slot < fast_.size(); slot += 1u << length)
                    fast_[slot] = static_cast<std::uint16_t>((symbol << 4) | length);
        }
        return true;
    }

    // -1 for a code that is not assigned. Needs kMaxCodeLength bits buffered.
    int Decode(BitReader &bits) const
    {
        const std::uint16_t entry = fast_[bits.Peek(kFastBits)];
        if (entry != 0) {
            bits.Skip(entry & 15u);
            return entry >> 4;
        }
        unsigned length = 0;
        const int symbol = DecodeLong(bits.Peek(kMaxCodeLength), length);
        bits.Skip(length);
        return symbol;
    }

    // The table entry for the next kFastBits bits: symbol << 4 | length, 0
    // for a longer code or none.
    std::uint16_t FastEntry(std::uint32_t peeked) const { return fast_[peeked]; }
    std::uint32_t EndOfBlockCode() const { return endOfBlockCode_; }
    unsigned EndOfBlockLength() const { return endOfBlockLength_; }

  private:
    // The counting decoder; `length` is 0 for a code that is not assigned.
    int DecodeLong(std::uint32_t peeked, unsigned &length) const
    {
        int code = 0;
        int first = 0;
        int index = 0;
        for (length = 1; length <= kMaxCodeLength; ++length) {
            code |= (peeked >> (length - 1)) & 1;
            const int count = count_[length];
            if (code - count < first)
                return symbol_[index + (code - first)];
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        length = 0;
        return -1;
    }

    std::array<std::uint16_t, kMaxCodeLength + 1> count_{};
    std::array<std::uint16_t, kLiteralLengthCodes> symbol_{};
    std::array<std::uint16_t, 1u << kFastBits> fast_{};
    std::uint32_t endOfBlockCode_ = 0;
    unsigned endOfBlockLength_ = 0;
};

// What one symbol of a block does, with a match's distance: the text it
// stands for and the bits it takes.
struct Step {
    std::uint32_t produced = 0;
    unsigned bits = 0;
    bool endOfBlock = false;
};

// The codes of a block as steps, for codes of up to kFastBits bits: a
// literal/length entry holds the code's length (bits 0-3), its extra bits
// (4-6), the bytes it stands for before them (7-15) and whether it is a
// match (16) or the end of the block (17); a distance entry the code's length
// (0-3), its extra bits (4-7) and its base (8-23). 0: look the code up slowly.
class StepTables
{
  public:
    void Build(const HuffmanCode &literals, const HuffmanCode &distances)
    {
        for (std::uint32_t peeked = 0; peeked < (1u << kFastBits); ++peeked) {
            literal_[peeked] = LiteralStep(literals.FastEntry(peeked));
            distance_[peeked] = DistanceStep(distances.FastEntry(peeked));
        }
    }

    // The next symbol, read from the buffered bits without taking them;
    // false where the slow way must decide.
    bool Next(std::uint64_t buffered, std::uint64_t output, Step &step) const
    {
        const std::uint32_t entry = literal_[buffered & kFastMask];
        const unsigned codeLength = entry & 15u;
        if (!(entry & kMatch)) {
            step = Step{(entry >> 7) & 511u, codeLength, (entry & kEnd) != 0};
            return codeLength != 0;
        }
        const unsigned extra = (entry >> 4) & 7u;
        const std::uint32_t length =
            ((entry >> 7) & 511u) + std::uint32_t((buffered >> codeLength) & ((1u << extra) - 1));
        const unsigned used = codeLength + extra;
        const std::uint32_t distanceEntry = distance_[(buffered >> used) & kFastMask];
        const unsigned distanceCode = distanceEntry & 15u;
        const unsigned distanceExtra = (distanceEntry >> 4) & 15u;
        const std::uint64_t distance =
            (distanceEntry >> 8) +
            ((buffered >> (used + distanceCode)) & ((std::uint64_t(1) << distanceExtra) - 1));
        step = Step{length, used + distanceCode + distanceExtra, false};
        return distanceCode != 0 && distance <= output && distance <= kWindow;
    }

  private:
    static constexpr std::uint32_t kFastMask = (1u << kFastBits) - 1;
    static constexpr std::uint32_t kMatch = 1u << 16;
    static constexpr std::uint32_t kEnd = 1u << 17;

    static std::uint32_t LiteralStep(std::uint16_t fast)
    {
        const unsigned symbol = fast >> 4;
        const unsigned length = fast & 15u;
        if (fast == 0 || symbol > 285)
            return 0;
        if (symbol < kEndOfBlock)
            return length | (1u << 7);
        if (symbol == kEndOfBlock)
            return length | kEnd;
        const unsigned index = symbol - 257;
        return length | (unsigned(kLengthExtra[index]) << 4) | (unsigned(kLengthBase[index]) << 7) |
               kMatch;
    }

    static std::uint32_t DistanceStep(std::uint16_t fast)
    {
        const unsigned symbol = fast >> 4;
        if (fast == 0 || symbol > 29)
            return 0;
        return (fast & 15u) | (unsigned(kDistanceExtra[symbol]) << 4) |
               (unsigned(kDistanceBase[symbol]) << 8);
    }

    std::array<std::uint32_t, 1u << kFastBits> literal_{};
    std::array<std::uint32_t, 1u << kFastBits> distance_{};
};

class Walker
{
  public:
    Walker(std::string_view stream, std::uint64_t from, std::uint64_t to, DeflateWalk &walk)
        : bits_(stream), from_(from), to_(to), walk_(walk)
    {
    }

    bool Run()
    {
        walk_ = DeflateWalk{};
        bool last = false;
        while (!last) {
            block_ = DeflateCut{};
            block_.blockBit = bits_.Position();
            bits_.Refill();
            last = bits_.Take(1) != 0;
            if (last)
                walk_.finalBlockBit = block_.blockBit;
            block_.blockType = bits_.Take(2);
            bool ok = false;
            if (block_.blockType == 0)
                ok = StoredBlock();
            else if (block_.blockType == 1)
                ok = FixedCodes() && Symbols();
            else if (block_.blockType == 2)
                ok = DynamicCodes() && Symbols();
            if (!ok || bits_.Overrun())
                return false;
            if (Done())
                return true;
        }
        walk_.complete = true;
        walk_.endBit = bits_.Position();
        walk_.output = output_;
        return true;
    }

  private:
    bool Done() const { return walk_.foundStart && (output_ > to_ || passedStored_); }

    bool StoredBlock()
    {
        bits_.SkipToByte();
        bits_.Refill();
        const std::uint32_t length = bits_.Take(16);
        if ((bits_.Take(16) ^ 0xffffu) != length)
            return false;
        bits_.SkipBytes(length);
        output_ += length;
        if (walk_.foundStart)
            passedStored_ = true; // no cut after this point
        return true;
    }

    bool FixedCodes()
    {
        std::array<std::uint8_t, kLiteralLengthCodes + kDistanceCodes> lengths{};
        for (unsigned symbol = 0; symbol < kLiteralLengthCodes; ++symbol)
            lengths[symbol] = symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
        for (unsigned symbol = 0; symbol < kDistanceCodes; ++symbol)
            lengths[kLiteralLengthCodes + symbol] = 5;
        return UseCodes(lengths.data(), kLiteralLengthCodes, kDistanceCodes);
    }

    bool DynamicCodes()
    {
        bits_.Refill();
        const unsigned literalCodes = bits_.Take(5) + 257;
        const unsigned distanceCodes = bits_.Take(5) + 1;
        const unsigned lengthCodes = bits_.Take(4) + 4;
        if (literalCodes > 286 || distanceCodes > 30)
            return false;
        std::array<std::uint8_t, 19> codeLengthLengths{};
        for (unsigned i = 0; i < lengthCodes; ++i) {
            bits_.Refill();
            codeLengthLengths[kCodeLengthOrder[i]] = static_cast<std::uint8_t>(bits_.Take(3));
        }
        HuffmanCode codeLengths;
        if (!codeLengths.Build(codeLengthLengths.data(), 19))
            return false;
        std::array<std::uint8_t, kLiteralLengthCodes + kDistanceCodes> lengths{};
        const unsigned total = literalCodes + distanceCodes;
        for (unsigned filled = 0; filled < total;) {
            bits_.Refill();
            const int symbol = codeLengths.Decode(bits_);
            unsigned repeat = 1;
            std::uint8_t value = 0;
            if (symbol < 0)
                return false;
            if (symbol < 16) {
                value = static_cast<std::uint8_t>(symbol);
            } else if (symbol == 16) {
                if (filled == 0)
                    return false;
                value = lengths[filled - 1];
                repeat = 3 + bits_.Take(2);
            } else {
                repeat = symbol == 17 ? 3 + bits_.Take(3) : 11 + bits_.Take(7);
            }
            if (filled + repeat > total)
                return false;
            std::memset(lengths.data() + filled, value, repeat);
            filled += repeat;
        }
        // The distance lengths follow the literal/length ones directly.
        std::array<std::uint8_t, kDistanceCodes> distances{};
        std::memcpy(distances.data(), lengths.data() + literalCodes, distanceCodes);
        std::memset(lengths.data() + literalCodes, 0, distanceCodes);
        std::memcpy(lengths.data() + kLiteralLengthCodes, distances.data(), kDistanceCodes);
        return lengths[kEndOfBlock] != 0 &&
               UseCodes(lengths.data(), kLiteralLengthCodes, kDistanceCodes);
    }

    bool UseCodes(const std::uint8_t *lengths, unsigned literalCodes, unsigned distanceCodes)
    {
        if (!literals_.Build(lengths, literalCodes) ||
            !distances_.Build(lengths + literalCodes, distanceCodes))
            return false;
        steps_.Build(literals_, distances_);
        block_.dataBit = bits_.Position();
        block_.endOfBlockCode = literals_.EndOfBlockCode();
        block_.endOfBlockLength = literals_.EndOfBlockLength();
        return true;
    }

    // Decodes one block's symbols. The bit reader and the counters are
    // local copies so that they stay in registers, and one comparison per
    // symbol covers both cuts: `limit` is where the next thing to note lies.
    bool Symbols()
    {
        BitReader bits = bits_;
        std::uint64_t output = output_;
        bool started = walk_.foundStart;
        std::uint64_t limit = started ? After(to_) : from_;
        bool endInBlock = false;
        std::uint64_t endBit = 0;
        std::uint64_t endOutput = 0;
        while (true) {
            // A symbol with its match takes at most 48 bits.
            if (bits.Buffered48() && !bits.Refill())
                return false;
            const std::uint64_t bit = bits.Position();
            Step step;
            if (!steps_.Next(bits.Buffered(), output, step) && !SlowStep(bits, output, step))
                return false;
            bits.Skip(step.bits);
            if (output >= limit) {
                if (started || step.endOfBlock)
                    break; // past `to`, or a start that must wait for the next block
                started = true;
                walk_.foundStart = true;
                walk_.start = block_;
                walk_.start.bit = bit;
                walk_.start.output = output;
                limit = After(to_);
                if (output >= limit)
                    break;
            }
            endInBlock = started;
            endBit = bit;
            endOutput = output;
            if (step.endOfBlock)
                break;
            output += step.produced;
        }
        bits_ = bits;
        output_ = output;
        if (endInBlock) {
            walk_.foundEnd = true;
            walk_.end = block_;
            walk_.end.bit = endBit;
            walk_.end.output = endOutput;
        }
        return true;
    }

    static std::uint64_t After(std::uint64_t offset)
    {
        return offset == std::numeric_limits<std::uint64_t>::max() ? offset : offset + 1;
    }

    // A symbol whose code is longer than the tables cover, or that is not
    // valid, decoded on a copy of the reader.
    bool SlowStep(const BitReader &bits, std::uint64_t output, Step &step) const
    {
        BitReader probe = bits;
        const int symbol = literals_.Decode(probe);
        if (symbol < 0 || symbol > 285)
            return false;
        step = Step{symbol < int(kEndOfBlock) ? 1u : 0u, 0, symbol == int(kEndOfBlock)};
        if (symbol > int(kEndOfBlock) && !Match(probe, symbol - 257, output, step.produced))
            return false;
        step.bits = unsigned(probe.Position() - bits.Position());
        return true;
    }

    bool Match(BitReader &bits, int lengthSymbol, std::uint64_t output, std::uint32_t &length) const
    {
        length = kLengthBase[lengthSymbol] + bits.Take(kLengthExtra[lengthSymbol]);
        const int distanceSymbol = distances_.Decode(bits);
        if (distanceSymbol < 0 || distanceSymbol > 29)
            return false;
        const std::uint64_t distance =
            kDistanceBase[distanceSymbol] + bits.Take(kDistanceExtra[distanceSymbol]);
        return distance <= output && distance <= kWindow;
    }

    BitReader bits_;
    std::uint64_t from_;
    std::uint64_t to_;
    DeflateWalk &walk_;
    DeflateCut block_;
    HuffmanCode literals_;
    HuffmanCode distances_;
    StepTables steps_;
    std::uint64_t output_ = 0;
    bool passedStored_ = false;
};

} // namespace

bool WalkDeflate(std::string_view stream, std::uint64_t from, std::uint64_t to, DeflateWalk &walk)
{
    return Walker(stream, from, to, walk).Run();
}

} // namespace engine

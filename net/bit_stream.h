#pragma once
// Bit-packed streams for every game datagram: fields of 1 to 32 bits, least significant bit first,
// packed into 32-bit words that travel in little-endian byte order. Neither class allocates or
// throws; both work over a caller-owned buffer and record any failure in a sticky overflow flag
// that the caller tests once, after the last field.
#include <bit>
#include <cstdint>
#include <cstring>

namespace net {

namespace detail {
inline uint32_t ToLittleEndian(uint32_t word)
{
    if constexpr (std::endian::native == std::endian::big) {
        return __builtin_bswap32(word);
    }
    return word;
}
}  // namespace detail

class BitWriter {
public:
    // `words` must hold `capacity` words; the finished datagram is those words as bytes.
    BitWriter(uint32_t* words, int capacity) : words_(words), capacity_(capacity < 0 ? 0 : capacity) {}

    // Appends the low `bits` bits of `value`. A count outside 1..32, or a writer that has
    // overflowed, leaves the writer unchanged.
    void Write(uint32_t value, int bits)
    {
        if (bits < 1 || bits > 32 || overflow_) {
            return;
        }
        totalBits_ += bits;
        const uint64_t kept = bits == 32 ? value : (value & ((uint32_t{1} << bits) - 1u));
        scratch_ |= kept << scratchBits_;
        scratchBits_ += bits;
        while (scratchBits_ >= 32) {
            if (wordIndex_ >= capacity_) {
                overflow_ = true;
                return;
            }
            words_[wordIndex_] = detail::ToLittleEndian(static_cast<uint32_t>(scratch_));
            scratch_ >>= 32;
            ++wordIndex_;
            scratchBits_ -= 32;
        }
    }

    // Stores the partial last word. Call once, after the last field, before taking the length.
    void Flush()
    {
        if (overflow_ || scratchBits_ == 0) {
            return;
        }
        if (wordIndex_ >= capacity_) {
            overflow_ = true;
            return;
        }
        words_[wordIndex_] = detail::ToLittleEndian(static_cast<uint32_t>(scratch_));
        ++wordIndex_;
        scratch_ = 0;
        scratchBits_ = 0;
    }

    int TotalBits() const { return totalBits_; }
    bool Overflowed() const { return overflow_; }
    int WordsStored() const { return wordIndex_; }
    int Capacity() const { return capacity_; }
    // Length of the finished message in bytes: whole words.
    int ByteLength() const { return (totalBits_ + 31) / 32 * 4; }
    const uint32_t* Words() const { return words_; }

private:
    uint32_t* words_ = nullptr;
    int capacity_ = 0;
    uint64_t scratch_ = 0;
    int scratchBits_ = 0;
    int wordIndex_ = 0;
    int totalBits_ = 0;
    bool overflow_ = false;
};

class BitReader {
public:
    // `data` holds `wordCount` whole words in little-endian order; at most `bitLimit` bits may
    // be read. The bytes need no particular alignment.
    BitReader(const void* data, int wordCount, int bitLimit)
        : bytes_(static_cast<const unsigned char*>(data)),
          wordCount_(wordCount < 0 ? 0 : wordCount),
          bitLimit_(bitLimit < 0 ? 0 : bitLimit)
    {
    }

    // The next `bits` bits as an unsigned number. A count outside 1..32 returns 0 and changes
    // nothing; a read past the bit limit, or after an overflow, sets the flag and returns 0.
    uint32_t Read(int bits)
    {
        if (bits < 1 || bits > 32) {
            return 0;
        }
        if (overflow_ || totalBits_ + bits > bitLimit_) {
            overflow_ = true;
            return 0;
        }
        while (scratchBits_ < bits) {
            uint32_t word = 0;
            if (wordIndex_ < wordCount_) {
                std::memcpy(&word, bytes_ + static_cast<size_t>(wordIndex_) * 4u, 4);
                word = detail::ToLittleEndian(word);
            }
            scratch_ |= static_cast<uint64_t>(word) << scratchBits_;
            ++wordIndex_;
            scratchBits_ += 32;
        }
        const uint32_t value = bits == 32 ? static_cast<uint32_t>(scratch_)
                                          : static_cast<uint32_t>(scratch_ & ((uint64_t{1} << bits) - 1u));
        scratch_ >>= bits;
        scratchBits_ -= bits;
        totalBits_ += bits;
        return value;
    }

    int TotalBits() const { return totalBits_; }
    int BitLimit() const { return bitLimit_; }
    int BitsLeft() const { return bitLimit_ - totalBits_; }
    bool Overflowed() const { return overflow_; }

private:
    const unsigned char* bytes_ = nullptr;
    int wordCount_ = 0;
    int bitLimit_ = 0;
    uint64_t scratch_ = 0;
    int scratchBits_ = 0;
    int wordIndex_ = 0;
    int totalBits_ = 0;
    bool overflow_ = false;
};

}  // namespace net

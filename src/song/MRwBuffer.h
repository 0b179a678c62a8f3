#pragma once

#include <cstdint>
#include <vector>

// The song's R-W subcode buffer: the bytes the whole CD+G stream is rendered into. Its size is
// the size of the bytes it holds, so the two can never disagree.
class MRwBuffer {
public:
    uint8_t* data() { return bytes_.data(); }
    const uint8_t* data() const { return bytes_.data(); }
    uint32_t size() const { return static_cast<uint32_t>(bytes_.size()); }
    bool empty() const { return bytes_.empty(); }
    std::vector<uint8_t>::const_iterator begin() const { return bytes_.begin(); }
    std::vector<uint8_t>::const_iterator end() const { return bytes_.end(); }

    // A buffer of the given size, all zero.
    void Assign(uint32_t sizeBytes) { bytes_.assign(sizeBytes, 0); }
    // Gives the memory back.
    void Release() {
        bytes_.clear();
        bytes_.shrink_to_fit();
    }

private:
    std::vector<uint8_t> bytes_;
};

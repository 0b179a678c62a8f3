#pragma once

#include <cstdint>
#include <cstring>

// One 24-byte packet of the R-W subcode stream. A slot whose command byte is 0 is empty.
struct CdgPacket {
    static constexpr uint8_t kGraphicsCommand = 0x09;
    static constexpr uint8_t kMask = 0x3F;
    static constexpr int kDataBytes = 16;

    enum Instruction : uint8_t {
        kMemoryPreset = 1,
        kBorderPreset = 2,
        kTileBlock = 6,
        kScrollPreset = 20,
        kScrollCopy = 24,
        kDefineTransparent = 28,
        kLoadColorTableLow = 30,
        kLoadColorTableHigh = 31,
        kTileBlockXor = 38,
    };

    uint8_t command = 0;
    uint8_t instruction = 0;
    uint8_t parityQ[2] = {0, 0};
    uint8_t data[kDataBytes] = {};
    uint8_t parityP[4] = {0, 0, 0, 0};

    static CdgPacket Graphics(uint8_t instruction) {
        CdgPacket p;
        p.command = kGraphicsCommand;
        p.instruction = instruction;
        return p;
    }
    static CdgPacket FromBytes(const uint8_t* bytes) {
        CdgPacket p;
        std::memcpy(&p, bytes, sizeof(CdgPacket));
        return p;
    }
    bool IsEmpty() const { return command == 0; }
    bool IsGraphics() const { return (command & kMask) == kGraphicsCommand; }
    uint8_t Code() const { return instruction & kMask; }
};

static_assert(sizeof(CdgPacket) == 24, "a CD+G packet is 24 bytes");

#include "cli/CdgInfoCommand.h"

#include <map>

#include "cdg/CdgPacket.h"
#include "cdg/CdgStreamFile.h"
#include "cdg/CdgTimeBase.h"

namespace {

QString InstructionName(int code) {
    switch (code) {
        case CdgPacket::kMemoryPreset:
            return QStringLiteral("Memory Preset");
        case CdgPacket::kBorderPreset:
            return QStringLiteral("Border Preset");
        case CdgPacket::kTileBlock:
            return QStringLiteral("Tile Block");
        case CdgPacket::kScrollPreset:
            return QStringLiteral("Scroll Preset");
        case CdgPacket::kScrollCopy:
            return QStringLiteral("Scroll Copy");
        case CdgPacket::kDefineTransparent:
            return QStringLiteral("Define Transparent Colour");
        case CdgPacket::kLoadColorTableLow:
            return QStringLiteral("Load Colour Table 0-7");
        case CdgPacket::kLoadColorTableHigh:
            return QStringLiteral("Load Colour Table 8-15");
        case CdgPacket::kTileBlockXor:
            return QStringLiteral("Tile Block XOR");
        default:
            return QStringLiteral("unknown instruction %1").arg(code);
    }
}

QString Seconds(int64_t packetIndex) {
    return QString::number(static_cast<double>(packetIndex) / CdgTimeBase::kPacketsPerSecond, 'f',
                           3);
}

}  // namespace

int CdgInfoCommand::Run(const QStringList& args) {
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("FILE.cdg"), QStringLiteral("The CD+G file."));
    if (const int rc = Parse(parser, args, QStringLiteral("FILE.cdg")); rc != kOk) {
        return rc < 0 ? kOk : rc;
    }
    const QStringList files = parser.positionalArguments();
    if (const int rc = ExactlyOne(files, QStringLiteral("CD+G file")); rc != kOk) {
        return rc;
    }
    CdgStreamFile file;
    if (const MStatus s = file.Open(files[0]); !s) {
        return Fail(s.Text());
    }
    const int64_t packets = file.PacketCount();
    std::map<int, int64_t> perInstruction;
    int64_t empty = 0;
    int64_t otherCommands = 0;
    int64_t first = -1;
    int64_t last = -1;
    for (int64_t i = 0; i < packets; ++i) {
        const uint8_t* p = file.Data() + i * CdgTimeBase::kPacketBytes;
        if (p[0] == 0) {
            ++empty;
            continue;
        }
        if (first < 0) {
            first = i;
        }
        last = i;
        if ((p[0] & CdgPacket::kMask) == CdgPacket::kGraphicsCommand) {
            ++perInstruction[p[1] & CdgPacket::kMask];
        } else {
            ++otherCommands;
        }
    }
    Out(QStringLiteral("file: %1").arg(files[0]));
    Out(QStringLiteral("packets: %1").arg(packets));
    Out(QStringLiteral("duration: %1 s").arg(Seconds(packets)));
    Out(QStringLiteral("empty packets: %1").arg(empty));
    for (const auto& [code, count] : perInstruction) {
        Out(QStringLiteral("%1 (%2): %3").arg(InstructionName(code)).arg(code).arg(count));
    }
    if (otherCommands > 0) {
        Out(QStringLiteral("packets of other subcode modes: %1").arg(otherCommands));
    }
    if (first >= 0) {
        Out(QStringLiteral("first non-empty packet: %1 at %2 s").arg(first).arg(Seconds(first)));
        Out(QStringLiteral("last non-empty packet: %1 at %2 s").arg(last).arg(Seconds(last)));
    } else {
        Out(QStringLiteral("first non-empty packet: none"));
        Out(QStringLiteral("last non-empty packet: none"));
    }
    if (file.LeftoverBytes() != 0) {
        return Fail(QStringLiteral("%1: %2 bytes left over after the last whole packet")
                        .arg(files[0])
                        .arg(file.LeftoverBytes()));
    }
    return kOk;
}

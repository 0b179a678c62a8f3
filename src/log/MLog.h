#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>

// One record of the event log: a type code, the moment it was made (seconds since 1970) and the
// name of the event. The subclasses add the payload of their type. In the log file a record is
// stored as "LOG", the type byte, the 64-bit time, the payload, an int32 message length and the
// message bytes, all little-endian.
class MLog {
public:
    static constexpr uint8_t kTypeUserAction = 'U';        // 85
    static constexpr uint8_t kTypeTextMsg = 'T';           // 84
    static constexpr uint8_t kTypeDataDump = 'D';          // 68
    static constexpr uint8_t kTypeSongSettingsDump = 'S';  // 83
    static constexpr uint8_t kTypeKaraokeLineDump = 'L';   // 76

    // A record without payload. The time is now unless one is given.
    MLog(uint8_t type, const QString& message, std::optional<int64_t> timeSeconds = std::nullopt);
    virtual ~MLog();
    MLog(const MLog&) = delete;
    MLog& operator=(const MLog&) = delete;

    uint8_t Type() const { return type_; }
    int64_t TimeSeconds() const { return timeSeconds_; }
    // The event's name as it is written: UTF-8.
    const QByteArray& Message() const { return message_; }

    // The bytes of this record in the log file. Empty when a part is too long for its int32
    // length field, so that a record that cannot be written whole is not written at all.
    QByteArray Entry() const;

protected:
    // Appends the payload; returns false when it cannot be represented.
    virtual bool AppendPayload(QByteArray& out) const;
    // Appends an int32 length followed by the bytes.
    static bool AppendSized(QByteArray& out, QByteArrayView bytes);

private:
    uint8_t type_;
    int64_t timeSeconds_;
    QByteArray message_;
};

#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUrl>

class MSettingsStore;

// What is said to the update service and what it answers, without any window or network: the
// request body, the reading of the answer, the day rule of the automatic check and the settings
// it keeps.
class UpgradeProtocol {
public:
    // The service's answer. code: 1 nothing new, 2 a download, 3 a purchase.
    struct Response {
        int code = kNone;
        QString text;
        QString url;
        QString url2;
        QString version;
    };
    static constexpr int kNone = 1;
    static constexpr int kDownload = 2;
    static constexpr int kPurchase = 3;

    static constexpr const char* kSettings = "Settings";
    static constexpr const char* kDefault = "Default";
    static constexpr const char* kLastCheckKey = "LastUpdateCheck";
    static constexpr const char* kIgnoreKey = "IgnoreUpgradesForVersion";
    static constexpr const char* kInstallationIdKey = "InstallationID";
    static constexpr const char* kUrlKey = "UpdateURL";
    static constexpr const char* kDefaultPath = "/check-for-upgrade.php";
    static constexpr const char* kUserAgent = "UpgradeRequest";
    static constexpr const char* kContentType = "application/x-www-form-urlencoded";
    // Answers longer than this are not the service's.
    static constexpr qsizetype kMaxResponseBytes = 64 * 1024;
    static constexpr qint64 kSecondsBetweenChecks = 86400;

    // "ID=<id>&version=<version>&product=<name without spaces>", every space then a "+".
    static QByteArray BuildBody(const QString& installationId, const QString& version,
                                const QString& productName);
    // Reads an answer; a missing or malformed text, url or version means nothing new.
    static Response ParseResponse(const QString& answer);

    // The 16-byte system time: year, month, day of week (0 Sunday), day, hour, minute, second,
    // millisecond, each a little-endian 16-bit number.
    static QByteArray PackSystemTime(const QDateTime& time);
    // 1980-01-01 00:00 when the bytes are not such a time.
    static QDateTime UnpackSystemTime(const QByteArray& bytes);
    // A check is due when more than a day lies between the last one and now (either way, so that
    // a clock that was once wrong does not stop the checks).
    static bool IsDue(const QDateTime& lastCheck, const QDateTime& now);

    // The service's address from the settings store; empty when none is set or it is not an
    // http or https address. An address without a path gets the service's usual one.
    static QUrl Endpoint(MSettingsStore& settings);
    // The installation's identifier: made once, at random, and kept in the settings store.
    static QString InstallationId(MSettingsStore& settings);
    // True for http and https addresses, the only ones followed.
    static bool IsWebUrl(const QUrl& url);
};

#include "update/UpgradeProtocol.h"

#include <QUuid>
#include <QtEndian>

#include "base/MSettingsStore.h"

namespace {

// The quoted value after key's "=": it starts two characters on (past the opening quote) and
// ends before the next quote. False when the key or the closing quote is missing.
bool FindValue(const QString& answer, const QString& key, QString* value) {
    const qsizetype at = answer.indexOf(key);
    if (at < 0) {
        return false;
    }
    const qsizetype start = at + key.size() + 1;
    if (start > answer.size()) {
        return false;
    }
    const qsizetype end = answer.indexOf(QLatin1Char('"'), start);
    if (end < 0) {
        return false;
    }
    *value = answer.mid(start, end - start);
    return true;
}

}  // namespace

QByteArray UpgradeProtocol::BuildBody(const QString& installationId, const QString& version,
                                      const QString& productName) {
    QString product = productName;
    product.remove(QLatin1Char(' '));
    QByteArray body = QStringLiteral("%1=%2&%3=%4&%5=%6")
                          .arg(QStringLiteral("ID"), installationId, QStringLiteral("version"),
                               version, QStringLiteral("product"), product)
                          .toUtf8();
    body.replace(' ', '+');
    return body;
}

UpgradeProtocol::Response UpgradeProtocol::ParseResponse(const QString& answer) {
    Response r;
    const qsizetype code = answer.indexOf(QLatin1String("code="));
    if (code >= 0 && code + 5 < answer.size()) {
        const QChar c = answer.at(code + 5);
        r.code = c == QLatin1Char('2') ? kDownload : c == QLatin1Char('3') ? kPurchase : kNone;
    }
    const bool complete = FindValue(answer, QStringLiteral("text="), &r.text) &&
                          FindValue(answer, QStringLiteral("url="), &r.url) &&
                          FindValue(answer, QStringLiteral("version="), &r.version);
    FindValue(answer, QStringLiteral("url2="), &r.url2);
    if (!complete) {
        r.code = kNone;
    }
    return r;
}

QByteArray UpgradeProtocol::PackSystemTime(const QDateTime& time) {
    const QDate d = time.date();
    const QTime t = time.time();
    const int fields[8] = {d.year(), d.month(),  d.dayOfWeek() % 7, d.day(),
                           t.hour(), t.minute(), t.second(),        t.msec()};
    QByteArray bytes(16, '\0');
    for (int i = 0; i < 8; ++i) {
        qToLittleEndian<quint16>(static_cast<quint16>(fields[i]), bytes.data() + 2 * i);
    }
    return bytes;
}

QDateTime UpgradeProtocol::UnpackSystemTime(const QByteArray& bytes) {
    const QDateTime fallback(QDate(1980, 1, 1), QTime(0, 0));
    if (bytes.size() != 16) {
        return fallback;
    }
    int f[8];
    for (int i = 0; i < 8; ++i) {
        f[i] = qFromLittleEndian<quint16>(bytes.constData() + 2 * i);
    }
    const QDate date(f[0], f[1], f[3]);
    const QTime time(f[4], f[5], f[6], f[7]);
    if (!date.isValid() || !time.isValid()) {
        return fallback;
    }
    return QDateTime(date, time);
}

bool UpgradeProtocol::IsDue(const QDateTime& lastCheck, const QDateTime& now) {
    return qAbs(lastCheck.secsTo(now)) > kSecondsBetweenChecks;
}

QUrl UpgradeProtocol::Endpoint(MSettingsStore& settings) {
    const QString stored =
        settings.ReadString(QLatin1String(kDefault), QLatin1String(kUrlKey), QString()).trimmed();
    QUrl url(stored, QUrl::StrictMode);
    if (stored.isEmpty() || !url.isValid() || url.host().isEmpty() || !IsWebUrl(url)) {
        return QUrl();
    }
    if (url.path().isEmpty() || url.path() == QLatin1String("/")) {
        url.setPath(QLatin1String(kDefaultPath));
    }
    return url;
}

QString UpgradeProtocol::InstallationId(MSettingsStore& settings) {
    const QString section = QLatin1String(kSettings);
    const QString key = QLatin1String(kInstallationIdKey);
    QString id = settings.ReadString(section, key, QString());
    // Only an identifier of ours is sent: anything else in the store is replaced.
    if (QUuid::fromString(id).isNull()) {
        id = QUuid::createUuid().toString(QUuid::WithoutBraces);
        settings.WriteString(section, key, id);
    }
    return id;
}

bool UpgradeProtocol::IsWebUrl(const QUrl& url) {
    return url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
}

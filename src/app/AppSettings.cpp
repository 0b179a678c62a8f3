#include "app/AppSettings.h"

#include <QtEndian>
#include <cmath>
#include <cstring>

AppSettings::AppSettings(const QString& filePath)
    : store_(filePath.isEmpty()
                 ? std::make_unique<QSettings>(QStringLiteral("Ivolde"), QStringLiteral("Quilm"))
                 : std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {}

AppSettings::~AppSettings() = default;

QString AppSettings::Key(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}

int AppSettings::ReadInt(const QString& section, const QString& key, int defaultValue) {
    bool ok = false;
    const int value = store_->value(Key(section, key)).toInt(&ok);
    return ok ? value : defaultValue;
}

void AppSettings::WriteInt(const QString& section, const QString& key, int value) {
    store_->setValue(Key(section, key), value);
}

QString AppSettings::ReadString(const QString& section, const QString& key,
                                const QString& defaultValue) {
    const QVariant v = store_->value(Key(section, key));
    return v.isValid() ? v.toString() : defaultValue;
}

void AppSettings::WriteString(const QString& section, const QString& key, const QString& value) {
    store_->setValue(Key(section, key), value);
}

QByteArray AppSettings::ReadBinary(const QString& section, const QString& key) {
    const QVariant v = store_->value(Key(section, key));
    return v.typeId() == QMetaType::QByteArray ? v.toByteArray() : QByteArray();
}

void AppSettings::WriteBinary(const QString& section, const QString& key, const QByteArray& value) {
    store_->setValue(Key(section, key), value);
}

QByteArray AppSettings::PackRect(const QRect& rect) {
    QByteArray bytes(16, '\0');
    const qint32 values[4] = {rect.left(), rect.top(), rect.left() + rect.width(),
                              rect.top() + rect.height()};
    for (int i = 0; i < 4; ++i) {
        qToLittleEndian<qint32>(values[i], bytes.data() + 4 * i);
    }
    return bytes;
}

bool AppSettings::UnpackRect(const QByteArray& bytes, QRect* rect) {
    if (bytes.size() != 16) {
        return false;
    }
    qint32 v[4];
    for (int i = 0; i < 4; ++i) {
        v[i] = qFromLittleEndian<qint32>(bytes.constData() + 4 * i);
    }
    if (v[2] <= v[0] || v[3] <= v[1]) {
        return false;
    }
    *rect = QRect(QPoint(v[0], v[1]), QSize(v[2] - v[0], v[3] - v[1]));
    return true;
}

QRect AppSettings::WindowRect() {
    QRect rect;
    if (!UnpackRect(ReadBinary(kSettings, QStringLiteral("AppWindowRect")), &rect)) {
        rect = QRect(QPoint(10, 10), QSize(490, 513));
    }
    return rect;
}

void AppSettings::SetWindowRect(const QRect& rect) {
    WriteBinary(kSettings, QStringLiteral("AppWindowRect"), PackRect(rect));
}

double AppSettings::EditLyricsSplit() {
    const QByteArray bytes = ReadBinary(kSettings, QStringLiteral("EditLyricsSplit"));
    if (bytes.size() != 8) {
        return 0.5;
    }
    const quint64 bits = qFromLittleEndian<quint64>(bytes.constData());
    double split = 0;
    std::memcpy(&split, &bits, sizeof split);
    return std::isfinite(split) && split >= 0.05 && split <= 0.95 ? split : 0.5;
}

void AppSettings::SetEditLyricsSplit(double split) {
    quint64 bits = 0;
    std::memcpy(&bits, &split, sizeof bits);
    QByteArray bytes(8, '\0');
    qToLittleEndian<quint64>(bits, bytes.data());
    WriteBinary(kSettings, QStringLiteral("EditLyricsSplit"), bytes);
}

QStringList AppSettings::RecentFiles() {
    QStringList files;
    for (int i = 1; i <= kRecentFiles; ++i) {
        const QString f = ReadString(kRecentSection, QStringLiteral("File%1").arg(i));
        if (!f.isEmpty()) {
            files << f;
        }
    }
    return files;
}

void AppSettings::AddRecentFile(const QString& path) {
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    for (int i = 1; i <= kRecentFiles; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= files.size()) {
            WriteString(kRecentSection, key, files[i - 1]);
        } else {
            store_->remove(Key(kRecentSection, key));
        }
    }
}

int AppSettings::LyricFileIndex() const {
    return store_->value(Key(kSettings, QString::fromLatin1(kLyricFileIndexKey)), 0).toInt();
}

void AppSettings::SetLyricFileIndex(int index) {
    store_->setValue(Key(kSettings, QString::fromLatin1(kLyricFileIndexKey)), index);
}

QString AppSettings::LyricsFolder() const {
    return store_->value(Key(kSettings, QString::fromLatin1(kLyricsPathKey))).toString();
}

void AppSettings::SetLyricsFolder(const QString& folder) {
    store_->setValue(Key(kSettings, QString::fromLatin1(kLyricsPathKey)), folder);
}

void AppSettings::Sync() {
    store_->sync();
}

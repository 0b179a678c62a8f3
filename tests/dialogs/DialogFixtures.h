#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMap>
#include <QProgressBar>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <functional>

#include "dialogs/MDialogSettings.h"
#include "export/ExportFixtures.h"

// A settings store in memory.
class MapSettings : public MDialogSettings {
public:
    int ReadInt(const QString& section, const QString& key, int defaultValue) override {
        return values.value(section + '/' + key, defaultValue).toInt();
    }
    void WriteInt(const QString& section, const QString& key, int value) override {
        values[section + '/' + key] = value;
    }
    QString ReadString(const QString& section, const QString& key,
                       const QString& defaultValue) override {
        return values.value(section + '/' + key, defaultValue).toString();
    }
    void WriteString(const QString& section, const QString& key, const QString& value) override {
        values[section + '/' + key] = value;
    }
    QMap<QString, QVariant> values;
};

// Runs step on the next modal window of type T as soon as it shows (within 10 s), as a user
// would act on it while the code under test waits in its event loop.
template <typename T>
void OnModal(std::function<void(T*)> step) {
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, step] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget()); w != nullptr) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            step(w);
        } else if (clock->elapsed() > 10000) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            ADD_FAILURE() << "no modal window showed";
        }
    });
    timer->start(5);
}

// The controls under root that a screen reader could not name.
inline QStringList UnnamedControls(QWidget* root) {
    QStringList unnamed;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        const bool control =
            qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractItemView*>(w) ||
            (qobject_cast<QAbstractSlider*>(w) && !qobject_cast<QScrollBar*>(w)) ||
            qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QTextEdit*>(w) ||
            qobject_cast<QProgressBar*>(w) ||
            (qobject_cast<QLineEdit*>(w) && !qobject_cast<QAbstractSpinBox*>(w->parentWidget()));
        if (control && w->accessibleName().isEmpty()) {
            unnamed << QString::fromLatin1(w->metaObject()->className()) + ":" + w->objectName();
        }
    }
    return unnamed;
}

// The dialog tests: the export fixtures' songs and music, and a settings store.
class DialogTest : public ExportTest {
protected:
    MapSettings settings_;
};

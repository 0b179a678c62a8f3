#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QMap>
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
    QString ReadText(const QString& section, const QString& key,
                     const QString& defaultValue) override {
        return values.value(section + '/' + key, defaultValue).toString();
    }
    void WriteText(const QString& section, const QString& key, const QString& value) override {
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

// The dialog tests: the export fixtures' songs and music, and a settings store.
class DialogTest : public ExportTest {
protected:
    MapSettings settings_;
};

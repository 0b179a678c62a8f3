#pragma once

// Shared by the program's window tests: a main window on a private settings file, answers to the
// modal dialogs it opens, and a short WAV to play.

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <QtTest>
#include <functional>
#include <memory>

#include "app/AppSettings.h"
#include "app/MainWindow.h"
#include "song/MSongDocument.h"
#include "song/MSongSettings.h"

namespace AppTestKit {

// Runs act on the next modal dialog that opens (within 5 s).
inline void OnNextModal(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        } else if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

inline void AnswerNextBox(QMessageBox::StandardButton button) {
    OnNextModal([button](QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            box->button(button)->click();
        }
    });
}

// Closes the next dialog, whatever it is (a message shown to the user).
inline void CloseNextDialog() {
    OnNextModal([](QWidget* w) {
        if (auto* dialog = qobject_cast<QDialog*>(w)) {
            dialog->reject();
        }
    });
}

// Answers a file dialog: rejected when path is empty.
inline void AnswerNextFileDialog(const QString& path) {
    OnNextModal([path](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        if (dialog == nullptr) {
            return;
        }
        if (path.isEmpty()) {
            dialog->reject();
        } else {
            dialog->selectFile(path);
            if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
                name->setText(path);
            }
            QMetaObject::invokeMethod(dialog, "accept");
        }
    });
}

// A 44,100 Hz 16-bit stereo WAV of a quiet tone.
inline void WriteWav(const QString& path, double seconds) {
    const quint32 frames = static_cast<quint32>(seconds * 44100);
    const quint32 dataBytes = frames * 4;
    QByteArray bytes(44 + static_cast<int>(dataBytes), '\0');
    char* p = bytes.data();
    auto put32 = [&](int at, quint32 v) { qToLittleEndian<quint32>(v, p + at); };
    auto put16 = [&](int at, quint16 v) { qToLittleEndian<quint16>(v, p + at); };
    memcpy(p, "RIFF", 4);
    put32(4, 36 + dataBytes);
    memcpy(p + 8, "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1);
    put16(22, 2);
    put32(24, 44100);
    put32(28, 44100 * 4);
    put16(32, 4);
    put16(34, 16);
    memcpy(p + 36, "data", 4);
    put32(40, dataBytes);
    for (quint32 i = 0; i < frames; ++i) {
        const qint16 s = static_cast<qint16>(((i / 50) % 2) ? 800 : -800);
        qToLittleEndian<qint16>(s, p + 44 + 4 * i);
        qToLittleEndian<qint16>(s, p + 46 + 4 * i);
    }
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A main window on a settings file of its own in a temporary folder.
struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<MainWindow> window;

    explicit Fixture(bool autoSave = true) {
        settings = std::make_unique<AppSettings>(dir.filePath(QStringLiteral("settings.ini")));
        settings->WriteInt(AppSettings::kSettings, QStringLiteral("AutoSave"), autoSave ? 8 : 0);
        window = std::make_unique<MainWindow>(*settings, QStringLiteral(QUILM_DATA_DIR), false);
        window->Start();
        // The file dialogs are Qt's own, which a test can answer.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        QApplication::setActiveWindow(window.get());
    }
    ~Fixture() {
        // Nothing is asked when the test ends.
        window->Document().SetModified(false);
    }

    QString Path(const QString& name) const { return dir.filePath(name); }

    // Lyrics with music, the first word timed.
    void PlacedSong(double musicSeconds = 3) {
        MSongDocument& song = window->Document();
        const QString wav = Path(QStringLiteral("music.wav"));
        WriteWav(wav, musicSeconds);
        QVERIFY(song.ImportMusic(wav).IsOk());
        song.SetRawLyrics(QStringLiteral("Twinkle twinkle little star\nHow I wonder what you are"));
        song.GenerateKaraokeLineList(false, false);
        for (int i = 0; i < song.Song().WordCount(); ++i) {
            song.SetWordTimes(i, 22050 + 8000 * i, 22050 + 8000 * i + 7000);
        }
    }
};

}  // namespace AppTestKit

#include "audio/MMusicImport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

#include "audio/CAudioPlay.h"
#include "audio/WavInFile.h"
#include "audio/WorkWav.h"
#include "base/MProgress.h"

namespace {

constexpr int kWorkHeaderBytes = 44;

// Serialises decoding into the one private work WAV.
QMutex& DecodeMutex() {
    static QMutex mutex;
    return mutex;
}

bool IsAcceptedFormat(uint32_t rate, uint16_t bits, uint16_t channels) {
    return rate == 44100 && (bits == 8 || bits == 16) && (channels == 1 || channels == 2);
}

}  // namespace

MMusicImport::MMusicImport(const QString& temporaryFolder)
    : temporaryFolder_(temporaryFolder.isEmpty() ? QDir::tempPath() : temporaryFolder) {}

MMusicImport::~MMusicImport() = default;

QString MMusicImport::TemporaryWorkWavPath() const {
    return QDir(temporaryFolder_).filePath(QStringLiteral("quilm_music.wav"));
}

std::vector<MMusicImport::FileFilter> MMusicImport::MusicFileFilters(bool mp3Available) {
    if (mp3Available) {
        return {{"Music Files (*.mp3,*.wma,*.wav)", "*.wav;*.mp3;*.wma"},
                {"MP3 Files (*.mp3)", "*.mp3"},
                {"Windows Media Files (*.wma)", "*.wma"},
                {"Wave Files (*.wav)", "*.wav"}};
    }
    return {{"Music Files (*.wma,*.wav)", "*.wav;*.wma"},
            {"Windows Media Files (*.wma)", "*.wma"},
            {"Wave Files (*.wav)", "*.wav"}};
}

QString MMusicImport::ChooseAnotherFileQuestion(const QString& errorText) {
    return QStringLiteral("There is a problem with the selected audio file:\n\n") + errorText +
           QStringLiteral("\n") + QStringLiteral("Would you like to choose another file?");
}

bool MMusicImport::Decode(const QString& path, MProgress* progress) {
    CAudioPlay play;
    if (play.Init() < 0) {
        errorText_ = QStringLiteral("Error initializing Audio\n");
        return false;
    }
    play.SetAcceptAnyRate(true);
    QMutexLocker lock(&DecodeMutex());

    const QString work = TemporaryWorkWavPath();
    QFile::remove(work);
    if (progress != nullptr) {
        progress->Begin(QStringLiteral("Decompressing Audio..."), false);
    }
    const int status = play.Open(path, work, progress, 0, 0, false);
    if (progress != nullptr) {
        progress->End();
    }
    if (status < 0 && !play.ErrorText().isEmpty()) {
        errorText_ = play.ErrorText();
    }
    sampleRate_ = play.SampleRate();
    bitsPerSample_ = play.BitsPerSample();
    channels_ = play.Channels();
    if (status < 0) {
        // A file that could not be opened at all has no format to blame.
        if (errorText_.isEmpty() && sampleRate_ == 0) {
            errorText_ = QStringLiteral("Error opening Audio File\n");
        }
        QFile::remove(work);
        return false;
    }
    bool ready = IsAcceptedFormat(sampleRate_, bitsPerSample_, channels_);
    if (ready) {
        QFile file(work);
        ready = file.open(QIODevice::ReadWrite) && file.seek(0) &&
                WriteWorkWavHeader(file, sampleRate_, bitsPerSample_, channels_).IsOk() &&
                FinishWorkWavHeader(file, file.size() - kWorkHeaderBytes).IsOk() && file.flush();
    }
    if (!ready) {
        QFile::remove(work);
        return false;
    }
    workWavPath_ = work;
    return true;
}

bool MMusicImport::LoadMusic(const QString& path, MProgress* progress) {
    workWavPath_.clear();
    errorText_.clear();
    const QFileInfo info(path);
    if (!info.exists() || info.isDir()) {
        errorText_ = QStringLiteral("File not found\n");
        return false;
    }

    bool ready = false;
    if (path.right(3).toLower() == QLatin1String("wav")) {
        WavInFile in(path);
        sampleRate_ = in.SampleRate();
        bitsPerSample_ = in.BitsPerSample();
        channels_ = in.Channels();
        ready = IsAcceptedFormat(sampleRate_, bitsPerSample_, channels_);
        if (ready) {
            workWavPath_ = path;
        }
    } else {
        ready = Decode(path, progress);
    }

    musicFilePath_ = ready ? path : QString();
    musicFolder_ = ready ? path.left(path.lastIndexOf(QLatin1Char('/')) + 1) : QString();
    if (ready) {
        return true;
    }
    if (errorText_.isEmpty()) {
        if (sampleRate_ != 44100) {
            errorText_ += QStringLiteral("Sample Rate must be 44,100\n");
        }
        if (bitsPerSample_ != 8 && bitsPerSample_ != 16) {
            errorText_ += QStringLiteral("Bits per Sample must be 8 or 16\n");
        }
        if (channels_ != 1 && channels_ != 2) {
            errorText_ += QStringLiteral("Music must be Stereo or Mono\n");
        }
        if (errorText_.isEmpty()) {
            errorText_ = QStringLiteral("Error opening Audio File\n");
        }
    }
    return false;
}

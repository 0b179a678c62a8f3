#include "audio/MMusicImport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include "audio/AudioStatus.h"
#include "audio/CAudioPlay.h"
#include "audio/WavInFile.h"
#include "audio/WorkWav.h"
#include "base/MFileName.h"
#include "base/MInputFile.h"
#include "base/MProgress.h"
#include "base/MWorkFolder.h"

namespace {

constexpr int kWorkHeaderBytes = 44;

bool IsAcceptedFormat(uint32_t rate, uint16_t bits, uint16_t channels) {
    return rate == 44100 && (bits == 8 || bits == 16) && (channels == 1 || channels == 2);
}

QString Number(uint32_t value) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(value);
}

bool IsInside(const QString& path, const QString& folder) {
    return !folder.isEmpty() &&
           QFileInfo(path).absolutePath() == QFileInfo(folder).absoluteFilePath();
}

}  // namespace

MMusicImport::MMusicImport(const QString& temporaryFolder) {
    if (!temporaryFolder.isEmpty()) {
        QDir().mkpath(temporaryFolder);
        ownFolder_ = std::make_unique<MWorkFolder>(temporaryFolder);
    }
}

MMusicImport::~MMusicImport() {
    DropOwnedWorkWav();
}

const MWorkFolder& MMusicImport::Folder() const {
    return ownFolder_ ? *ownFolder_ : MWorkFolder::Process();
}

QString MMusicImport::WorkFolderPath() const {
    return Folder().Path();
}

void MMusicImport::DropOwnedWorkWav() {
    if (!ownedWorkWav_.isEmpty()) {
        QFile::remove(ownedWorkWav_);
        ownedWorkWav_.clear();
    }
}

void MMusicImport::SetWorkWavPath(const QString& path) {
    if (path != ownedWorkWav_ && IsInside(path, Folder().Path())) {
        DropOwnedWorkWav();
        ownedWorkWav_ = path;
    }
    workWavPath_ = path;
}

std::vector<MMusicImport::FileFilter> MMusicImport::MusicFileFilters(bool mp3Available) {
    // The types FFmpeg decodes besides the classic three, after them so that a stored filter
    // index still picks the same entry.
    const std::vector<FileFilter> more = {
        {"FLAC Files (*.flac)", "*.flac"},
        {"Ogg Vorbis and Opus Files (*.ogg,*.opus)", "*.ogg;*.oga;*.opus"},
        {"AAC and ALAC Files (*.m4a,*.aac)", "*.m4a;*.aac"}};
    std::vector<FileFilter> filters;
    if (mp3Available) {
        filters = {{"Music Files (*.mp3,*.wma,*.wav,*.flac,*.ogg,*.opus,*.m4a,*.aac)",
                    "*.wav;*.mp3;*.wma;*.flac;*.ogg;*.oga;*.opus;*.m4a;*.aac"},
                   {"MP3 Files (*.mp3)", "*.mp3"},
                   {"Windows Media Files (*.wma)", "*.wma"},
                   {"Wave Files (*.wav)", "*.wav"}};
    } else {
        filters = {{"Music Files (*.wma,*.wav,*.flac,*.ogg,*.opus,*.m4a,*.aac)",
                    "*.wav;*.wma;*.flac;*.ogg;*.oga;*.opus;*.m4a;*.aac"},
                   {"Windows Media Files (*.wma)", "*.wma"},
                   {"Wave Files (*.wav)", "*.wav"}};
    }
    filters.insert(filters.end(), more.begin(), more.end());
    return filters;
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
    play.SetConvertToWorkFormat(true);
    const QString work =
        Folder().NewFile(QFileInfo(path).completeBaseName(), QStringLiteral(".wav"));
    if (work.isEmpty()) {
        errorText_ = QStringLiteral("Cannot make the work file in %1\n")
                         .arg(QDir::toNativeSeparators(QDir::tempPath()));
        return false;
    }
    if (progress != nullptr) {
        progress->Begin(QStringLiteral("Decompressing Audio..."), false);
    }
    const int status = play.Open(path, work, progress, 0, 0, false);
    if (progress != nullptr) {
        progress->End();
    }
    // What the file holds, for the messages; the work WAV is always 44,100 Hz 16-bit stereo.
    sampleRate_ = play.SourceSampleRate();
    bitsPerSample_ = play.SourceBitsPerSample();
    channels_ = play.SourceChannels();
    bool ready = status >= 0;
    if (ready) {
        QFile file(work);
        ready = file.open(QIODevice::ReadWrite) && file.seek(0) &&
                WriteWorkWavHeader(file, 44100, 16, 2).IsOk() &&
                FinishWorkWavHeader(file, file.size() - kWorkHeaderBytes).IsOk() && file.flush();
        if (!ready) {
            errorText_ = QStringLiteral("Cannot write the work file %1\n").arg(work);
        }
    } else if (sampleRate_ != 0 && channels_ != 0 && status != AudioStatus::kUnsupportedFormat) {
        errorText_ = play.ErrorText() + QLatin1Char('\n');
    } else if (sampleRate_ == 0 && status != AudioStatus::kUnsupportedFormat) {
        // A file that could not be opened at all has no format to blame.
        errorText_ = QStringLiteral("Error opening Audio File\n");
    }
    if (!ready) {
        QFile::remove(work);
        return false;
    }
    sampleRate_ = 44100;
    bitsPerSample_ = 16;
    channels_ = 2;
    workWavPath_ = work;
    ownedWorkWav_ = work;
    return true;
}

void MMusicImport::ComposeFormatError() {
    if (sampleRate_ != 44100) {
        errorText_ += QStringLiteral("Sample Rate must be 44,100 (the file has %1)\n")
                          .arg(Number(sampleRate_));
    }
    if (bitsPerSample_ != 8 && bitsPerSample_ != 16) {
        errorText_ += QStringLiteral("Bits per Sample must be 8 or 16 (the file has %1)\n")
                          .arg(bitsPerSample_);
    }
    if (channels_ != 1 && channels_ != 2) {
        errorText_ += QStringLiteral("Music must be Stereo or Mono (the file has %1 channels)\n")
                          .arg(channels_);
    }
    if (errorText_.isEmpty()) {
        errorText_ = QStringLiteral("Error opening Audio File\n");
    }
}

MStatus MMusicImport::LoadMusic(const QString& path, MProgress* progress) {
    DropOwnedWorkWav();
    workWavPath_.clear();
    errorText_.clear();
    sampleRate_ = 0;
    bitsPerSample_ = 0;
    channels_ = 0;
    const QFileInfo info(MFileName::Openable(path));
    if (!info.exists() || info.isDir()) {
        errorText_ = QStringLiteral("File not found\n");
        return MStatus::Failure(errorText_);
    }
    // A pipe or a device would hold the decoder up or feed it without end.
    errorText_ = MInputFile::Problem(path, kMaxFileBytes, QStringLiteral("music file"));
    if (!errorText_.isEmpty()) {
        errorText_ += QLatin1Char('\n');
        return MStatus::Failure(errorText_);
    }

    bool ready = false;
    if (path.right(3).toLower() == QLatin1String("wav")) {
        WavInFile in(path);
        sampleRate_ = in.SampleRate();
        bitsPerSample_ = in.BitsPerSample();
        channels_ = in.Channels();
        ready = in.HeadersOk() && IsAcceptedFormat(sampleRate_, bitsPerSample_, channels_);
        if (ready) {
            workWavPath_ = path;
        } else if (in.HeadersOk() && sampleRate_ != 0 && channels_ != 0) {
            // Another rate, width or channel count: converted like compressed music.
            const uint32_t rate = sampleRate_;
            const uint16_t bits = bitsPerSample_;
            const uint16_t channels = channels_;
            ready = Decode(path, progress);
            if (!ready && sampleRate_ == 0) {
                sampleRate_ = rate;
                bitsPerSample_ = bits;
                channels_ = channels;
            }
        }
    } else {
        ready = Decode(path, progress);
    }

    musicFilePath_ = ready ? path : QString();
    musicFolder_ = ready ? path.left(path.lastIndexOf(QLatin1Char('/')) + 1) : QString();
    if (ready) {
        return MStatus::Ok();
    }
    if (errorText_.isEmpty()) {
        ComposeFormatError();
    }
    return MStatus::Failure(errorText_);
}

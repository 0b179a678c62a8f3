#include "PlayerFixtures.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>

#include "audio/WavOutFile.h"
#include "platform/MQtAudioOutput.h"

bool MessageLog::Report(const MStatus& message, const QString&) {
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.push_back(message);
    return false;
}

std::vector<MStatus> MessageLog::Messages() {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
}

bool PlayerFixtures::WriteToneWav(const QString& path, int64_t frames, int bits, int channels) {
    WavOutFile out(path, 44100, static_cast<uint16_t>(bits), static_cast<uint16_t>(channels));
    std::vector<int16_t> block;
    for (int64_t done = 0; done < frames;) {
        const int64_t n = std::min<int64_t>(frames - done, 4410);
        block.assign(static_cast<size_t>(n * channels), 0);
        for (int64_t i = 0; i < n; ++i) {
            const auto v = static_cast<int16_t>(
                8000 * std::sin(2 * M_PI * 440.0 * static_cast<double>(done + i) / 44100.0));
            for (int c = 0; c < channels; ++c) {
                block[static_cast<size_t>(i * channels + c)] = v;
            }
        }
        out.Write(block.data(), static_cast<int>(block.size()));
        done += n;
    }
    return out.Close().IsOk();
}

int64_t PlayerFixtures::NowUsecs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

namespace {

QString Pactl(const QStringList& args) {
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), args);
    if (!pactl.waitForFinished(10000) || pactl.exitCode() != 0) {
        return QString();
    }
    return QString::fromUtf8(pactl.readAllStandardOutput()).trimmed();
}

}  // namespace

PulseSink::PulseSink(const QString& name) : name_(name) {
    bool ok = false;
    const int module =
        Pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
               QStringLiteral("sink_name=") + name,
               QStringLiteral("sink_properties=device.description=%1").arg(Description()),
               QStringLiteral("norewinds=1")})
            .toInt(&ok);
    module_ = ok ? module : -1;
}

PulseSink::~PulseSink() {
    if (module_ >= 0) {
        Pactl({QStringLiteral("unload-module"), QString::number(module_)});
    }
}

namespace {

class TestSinkEnvironment : public ::testing::Environment {
public:
    void TearDown() override { sink.reset(); }
    std::unique_ptr<PulseSink> sink;
};

TestSinkEnvironment* const gTestSink =
    static_cast<TestSinkEnvironment*>(::testing::AddGlobalTestEnvironment(new TestSinkEnvironment));

}  // namespace

// Unloads the test sinks of test programs that ended without unloading theirs.
void UnloadStaleTestSinks() {
    static const QRegularExpression name(QStringLiteral("sink_name=quilm_test_(\\d+)"));
    const QStringList modules =
        Pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("modules")})
            .split(QLatin1Char('\n'));
    for (const QString& module : modules) {
        const QRegularExpressionMatch m = name.match(module);
        if (m.hasMatch() && !QFileInfo::exists(QStringLiteral("/proc/") + m.captured(1))) {
            Pactl({QStringLiteral("unload-module"), module.section(QLatin1Char('\t'), 0, 0)});
        }
    }
}

int PulseSink::TestDeviceNumber(MAudioOutputFactory& outputs) {
    if (!gTestSink->sink) {
        UnloadStaleTestSinks();
        gTestSink->sink = std::make_unique<PulseSink>(
            QStringLiteral("quilm_test_%1").arg(QCoreApplication::applicationPid()));
    }
    if (!gTestSink->sink->Loaded()) {
        return -1;
    }
    // The device list follows the server a moment later.
    for (int i = 0; i < 300; ++i) {
        const qsizetype at = outputs.DeviceNames().indexOf(gTestSink->sink->Description());
        if (at >= 0) {
            return static_cast<int>(at);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

QString PulseSink::DefaultSink() {
    return Pactl({QStringLiteral("get-default-sink")});
}

StallWatch::StallWatch() {
    thread_ = std::thread([this] {
        int64_t last = PlayerFixtures::NowUsecs();
        while (!stop_.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            const int64_t now = PlayerFixtures::NowUsecs();
            if (now - last > 10000) {
                std::lock_guard<std::mutex> lock(mutex_);
                gaps_.emplace_back(last, now);
            }
            last = now;
        }
    });
}

StallWatch::~StallWatch() {
    stop_ = true;
    thread_.join();
}

bool StallWatch::StalledBefore(int64_t atUsecs, int64_t sinceUsecs) {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::any_of(gaps_.begin(), gaps_.end(), [&](const auto& g) {
        return g.first <= atUsecs && g.second >= atUsecs - sinceUsecs;
    });
}

int StallWatch::Stalls() {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(gaps_.size());
}

int64_t StallWatch::LongestStallUsecs() {
    std::lock_guard<std::mutex> lock(mutex_);
    int64_t longest = 0;
    for (const auto& g : gaps_) {
        longest = std::max(longest, g.second - g.first);
    }
    return longest;
}

bool HeardProbe::Connect() {
    return probe_.Connect();
}

QString HeardProbe::SinkOf(MQtAudioOutput& output) {
    const std::optional<uint32_t> input = output.SinkInputIndex();
    if (!input) {
        return QString();
    }
    const auto info = probe_.SinkInputInfo(*input);
    return info ? probe_.SinkName(info->sink) : QString();
}

std::optional<int64_t> HeardProbe::LagUsecs(MCdgPlayer& player, MQtAudioOutput& output) {
    for (int i = 0; i < 10; ++i) {
        if (const auto s = Take(player, output); s && s->heardBytes > 0) {
            return s->lagUsecs;
        }
    }
    return std::nullopt;
}

std::optional<int64_t> HeardProbe::HeardAt(int64_t atUsecs, std::optional<int64_t> lagBefore,
                                           std::optional<int64_t> lagAfter) {
    constexpr int64_t kAgreeUsecs = 2000;
    if (!lagBefore || !lagAfter || std::abs(*lagBefore - *lagAfter) >= kAgreeUsecs) {
        return std::nullopt;
    }
    return atUsecs - *lagBefore;
}

std::optional<HeardProbe::Sample> HeardProbe::Take(MCdgPlayer& player, MQtAudioOutput& output) {
    const std::optional<uint32_t> input = output.SinkInputIndex();
    if (!input) {
        return std::nullopt;
    }
    const int64_t earlier = output.DeviceBytes();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const int64_t handed = output.DeviceBytes();
    const int64_t asked = PlayerFixtures::NowUsecs();
    const uint32_t position = player.Position();
    const auto info = probe_.SinkInputInfo(*input);
    const int64_t answered = PlayerFixtures::NowUsecs();
    if (!info || handed != earlier || output.DeviceBytes() != handed || answered - asked > 5000) {
        return std::nullopt;
    }
    const WaveFormat& f = player.Format();
    const int64_t bytesPerSecond = static_cast<int64_t>(f.sampleRate) * f.blockAlign;
    // The server answered somewhere between asking and the answer; the sound went on meanwhile.
    const int64_t heldUsecs = info->bufferUsecs + info->sinkUsecs + (answered - asked) / 2;
    Sample s;
    s.atUsecs = asked;
    s.position = position;
    s.heardBytes = handed - heldUsecs * bytesPerSecond / 1000000;
    s.lagUsecs = asked - (handed * 1000000 / bytesPerSecond - heldUsecs);
    return s;
}

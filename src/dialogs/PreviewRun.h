#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <vector>

class MRwPlayer;
class MRwRenderer;

// Plays a CD+G stream into a renderer in real time, driven by a timer on the user-interface
// thread, so that the window around it stays responsive: every tick decodes the packets due by
// the wall clock. An optional pause comes before and after the packets.
class PreviewRun : public QObject {
    Q_OBJECT

public:
    // Room for six minutes of stream.
    static constexpr uint32_t kStreamBytes = 2592000;
    static constexpr int kTickMs = 10;

    explicit PreviewRun(QObject* parent = nullptr);
    ~PreviewRun() override;

    // A cleared stream buffer to draw into.
    static std::vector<uint8_t> NewStream() { return std::vector<uint8_t>(kStreamBytes, 0); }

    // Plays stream[0, lengthBytes) into renderer. A run in progress is stopped first.
    void Start(MRwRenderer* renderer, std::vector<uint8_t> stream, uint32_t lengthBytes,
               int pauseMs = 0);
    // Stops without finishing; nothing more is decoded.
    void Stop();
    bool IsRunning() const { return timer_.isActive(); }
    // Milliseconds a run of lengthBytes takes, pauses included.
    static int64_t DurationMs(uint32_t lengthBytes, int pauseMs);

signals:
    // The run played to its end.
    void Finished();

private:
    void Tick();

    QTimer timer_;
    QElapsedTimer clock_;
    std::unique_ptr<MRwPlayer> decoder_;
    std::vector<uint8_t> stream_;
    uint32_t packets_ = 0;
    uint32_t decoded_ = 0;
    int pauseMs_ = 0;
};

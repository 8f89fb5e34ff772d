#pragma once

#include <atomic>
#include <thread>
#include <vector>

#include "platform/audiooutput.h"

namespace varnelo {

// An output for tests that records every sample it pulls. Manual (the default): a virtual clock,
// nothing plays until advance() is called, and the source and the progress handler are called on
// the caller's thread. Paced: a thread of its own pulls and plays in real time, like a device.
class FakeAudioOutput : public AudioOutput {
public:
    enum class Mode { Manual, Paced };

    explicit FakeAudioOutput(bool available = true, Mode mode = Mode::Manual)
        : m_available(available), m_mode(mode) {}
    ~FakeAudioOutput() override;

    bool isAvailable() const override { return m_available; }
    void setBufferMs(int ms) override { m_bufferMs = ms; }
    bool start(PcmSource *source, int sampleRate) override;
    void stop() override;
    void setPaused(bool paused) override { m_paused = paused; }
    qint64 framesPlayed() const override { return m_played; }
    bool isActive() const override { return m_active; }
    void setProgressHandler(std::function<void()> handler) override {
        m_progress = std::move(handler);
    }
    void setDueFrame(qint64 frame) override { m_dueFrame = frame; }

    // Frames pulled from the source ahead of what has played, as a device buffer holds them. The
    // paced mode holds at least the buffer set with setBufferMs.
    void setReadAhead(qint64 frames) { m_readAhead = frames; }
    // Manual mode: lets ms of virtual time pass in steps of stepMs, reporting progress after each.
    void advance(qint64 ms, qint64 stepMs = 1);
    // Manual mode: lets `frames` stereo pairs play at once.
    void advanceFrames(qint64 frames);
    // Manual mode: reports progress, as a device does when it has played something.
    void reportProgress() {
        if (m_progress) {
            m_progress();
        }
    }

    // Every sample handed to the output since construction or clearRecorded(), interleaved
    // stereo: what played plus any read-ahead. In paced mode read it only while inactive.
    const std::vector<qint16> &recorded() const { return m_recorded; }
    qint64 recordedFrames() const { return qint64(m_recorded.size()) / 2; }
    void clearRecorded() { m_recorded.clear(); }
    // Paced mode: frames the device had to play while the source had not delivered them yet.
    qint64 underrunFrames() const { return m_underrun; }
    int sampleRate() const { return m_rate; }
    int bufferMs() const { return m_bufferMs; }
    bool isPaused() const { return m_paused; }
    int startCount() const { return m_starts; }
    // The last frame the controller asked progress for.
    qint64 dueFrame() const { return m_dueFrame; }

private:
    // Pulls until `total` frames have come from the source since start(), or it ends.
    void pullUpTo(qint64 total);
    // Lets the device play up to `frames` more of what was pulled; false once all is played out.
    bool play(qint64 frames);
    void runPaced();

    bool m_available;
    Mode m_mode;
    PcmSource *m_source = nullptr;
    std::function<void()> m_progress;
    std::vector<qint16> m_recorded;
    int m_rate = 0;
    int m_bufferMs = 0;
    int m_starts = 0;
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_active{false};
    std::atomic<bool> m_stopping{false};
    std::atomic<qint64> m_played{0};
    std::atomic<qint64> m_underrun{0};
    std::atomic<qint64> m_dueFrame{-1};
    qint64 m_pulled = 0;
    qint64 m_readAhead = 0;
    bool m_sourceEnded = false;
    qint64 m_fraction = 0;  // thousandths of a frame carried between steps
    std::thread m_pacer;
};

}  // namespace varnelo

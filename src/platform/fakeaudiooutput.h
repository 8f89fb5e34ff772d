#pragma once

#include <vector>

#include "platform/audiooutput.h"

namespace varnelo {

// An output on a virtual clock for tests: nothing plays until advance() is called, and every
// sample played is recorded.
class FakeAudioOutput : public AudioOutput {
public:
    explicit FakeAudioOutput(bool available = true) : m_available(available) {}

    bool isAvailable() const override { return m_available; }
    void setBufferMs(int ms) override { m_bufferMs = ms; }
    bool start(PcmSource *source, int sampleRate) override;
    void stop() override;
    void setPaused(bool paused) override { m_paused = paused; }
    qint64 framesPlayed() const override { return m_played; }
    bool isActive() const override { return m_source != nullptr; }
    void setProgressHandler(std::function<void()> handler) override {
        m_progress = std::move(handler);
    }

    // Lets ms of virtual time pass in steps of stepMs, reporting progress after each step.
    void advance(qint64 ms, qint64 stepMs = 1);
    // Lets `frames` stereo pairs play at once.
    void advanceFrames(qint64 frames);

    // Every sample played since construction or clearRecorded(), interleaved stereo.
    const std::vector<qint16> &recorded() const { return m_recorded; }
    qint64 recordedFrames() const { return qint64(m_recorded.size()) / 2; }
    void clearRecorded() { m_recorded.clear(); }
    int sampleRate() const { return m_rate; }
    int bufferMs() const { return m_bufferMs; }
    bool isPaused() const { return m_paused; }
    int startCount() const { return m_starts; }

private:
    bool m_available;
    PcmSource *m_source = nullptr;
    std::function<void()> m_progress;
    std::vector<qint16> m_recorded;
    int m_rate = 0;
    int m_bufferMs = 0;
    int m_starts = 0;
    bool m_paused = false;
    qint64 m_played = 0;
    qint64 m_fraction = 0;  // thousandths of a frame carried between steps
};

}  // namespace varnelo

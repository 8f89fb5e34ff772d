#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "platform/audiooutput.h"
#include "recitation/mp3stream.h"
#include "recitation/parametriceq.h"

namespace varnelo {

// The recitation's audio engine: one MP3 stream played through an output, with positions in ms
// from the start of the file, a ten-band equalizer on the final mix and a master volume.
// GetPosition reports 200 ms ahead of the sound, and a section given to Play ends 200 ms before
// its nominal end. Decoding, equalizer and volume run on the output's audio thread; the engine's
// own calls, position watches and the automatic stop belong to the thread that created it.
class clsFMod {
public:
    // Shows a message box: title (empty for the program's own) and text.
    using MessageReporter = std::function<void(const QString &title, const QString &text)>;

    static constexpr qint32 kPositionLead = 200;

    // Runs FMOD_Initialize(300, 44100, 5, 4, 2, 4, 0) on the output; a missing sound device is
    // reported once through report and leaves every later call a harmless no-op.
    explicit clsFMod(AudioOutput &output, MessageReporter report = {});
    ~clsFMod();
    clsFMod(const clsFMod &) = delete;
    clsFMod &operator=(const clsFMod &) = delete;

    // Length of the opened stream in ms (it may be refined while the file is scanned); 0 when no
    // file is open.
    qint32 StreamLength() const;
    // True while playback runs normally, False while the program holds a pause.
    bool PauseBreaked = false;

    // Opens the file for the next Play. A missing, empty or damaged file leaves no stream,
    // StreamLength() 0 and the engine usable; returns whether a stream is open.
    bool OpenMP3File(const QString &path);
    // Switches the equalizer on (with the gains of the last SetEqualizerValue) or off; both glide.
    void EnableEqualizer();
    void DisableEqualizer();
    // Applies the gains of the table bound with bindEqualizerGains (flat when none is bound).
    void SetEqualizerValue();
    // Stops the sound; the stream time stays where it stopped.
    void StopPlaying();
    void PausePlaying();
    void ResumePlaying();
    // Master volume from the slider position 0..1000, mapped to 0..255 (halves to even).
    void SetVolume(qint32 v);
    // Stops and closes the stream; pending position watches are dropped.
    void CloseAll();
    // pos = stream time + 200; stops the sound once the stream time reaches EndPosition - 200.
    void GetPosition(qint32 &pos);
    // Moves the end of the section being played; 0 = no end.
    void SetEnd(qint32 ms);
    // Plays from `from` (the start of the file when from <= 0) to `to` (the end of the file when
    // to <= 0); PauseBreaked becomes True.
    void Play(qint32 from, qint32 to);
    void Test() {}
    // Moves the stream to ms (the sound too, when it plays).
    void SetPositionInSec(qint32 ms);
    // bytes = absolute file offset of the MPEG frame at the stream time; -1 without a stream.
    void GetPositionByBytes(qint32 &bytes);
    // Prepares the output: stream buffer (ms), mix rate (Hz), maximum channels, init flags, output
    // type, mixer type, driver number. Reports through the reporter what fails.
    void FMOD_Initialize(qint32 streamBufferMs, qint32 mixRate, qint32 maxChannels,
                         qint32 initFlags, qint32 outputType, qint32 mixerType, qint32 driver);
    // The message of one of the engine's error codes.
    static QString FModErrorText(qint32 code);

    // Equalizer gains the engine reads in SetEqualizerValue; the table must outlive the engine
    // or be unbound with nullptr.
    void bindEqualizerGains(const EqGainTable *gains) { m_gainTable = gains; }
    // Master volume 0..255 last set.
    qint32 masterVolume() const { return m_masterVolume; }
    bool isEqualizerEnabled() const { return m_eqEnabled; }
    EqGainTable equalizerGains() const { return m_eqGains; }
    // True while a section plays or is paused (not stopped, not run out).
    bool isPlaying() const;
    qint32 EndPosition() const { return m_endPosition; }

    // Calls callback once, with the position as GetPosition reports it, when that position
    // reaches ms while playing (or at once when it already has). Returns an id for cancelWatch.
    int watchPosition(qint32 ms, std::function<void(qint32 pos)> callback);
    void cancelWatch(int id);
    void cancelAllWatches();

    // How often the output's progress reached this thread (it does only when a watch or the
    // section's end is due, or the output stopped).
    int progressRuns() const { return m_progressRuns; }

    // The stream's decoder (for byte offsets of frames); the audio thread reads it while the
    // engine plays.
    Mp3Stream &stream() { return m_stream; }

private:
    class Source;
    struct Watch {
        int id;
        qint32 ms;
        std::function<void(qint32)> callback;
    };

    qint64 currentSample() const;
    qint32 streamTime() const;
    void startOutput();
    void stopOutput();
    void seekTo(qint32 ms);
    void updateSectionEnd();
    qint64 sampleReporting(qint32 pos) const;
    void updateDue();
    void progressFromOutput();
    void onProgress();
    void fireWatches();

    AudioOutput &m_output;
    MessageReporter m_report;
    Mp3Stream m_stream;
    std::unique_ptr<Source> m_source;
    std::unique_ptr<QObject> m_context;  // queues the output's progress to our thread
    std::atomic<bool> m_progressQueued{false};
    static constexpr qint64 kNothingDue = std::numeric_limits<qint64>::max();
    // Frames of the current output start from which the output's progress concerns this thread.
    std::atomic<qint64> m_dueFrames{kNothingDue};
    std::atomic<bool> m_endReported{false};
    const EqGainTable *m_gainTable = nullptr;
    bool m_eqEnabled = false;
    EqGainTable m_eqGains{};
    bool m_outputReady = false;
    bool m_running = false;   // the output was started for the current section
    bool m_paused = false;    // held by PausePlaying (callers set PauseBreaked on their own too)
    qint64 m_baseSample = 0;  // stream sample where the output started
    qint32 m_endPosition = 0;
    qint32 m_masterVolume = 255;
    std::vector<Watch> m_watches;
    int m_nextWatchId = 1;
    int m_progressRuns = 0;
};

}  // namespace varnelo

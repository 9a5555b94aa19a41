#pragma once

#include <vector>

#include "cabinet/Convolver.h"
#include "cabinet/WavReader.h"
#include "dsp/RateBand.h"
#include "dsp/Relaxed.h"

// Applies an impulse response that the user loaded from a WAV file, in series
// after the cabinet engine. The file's samples become the response as they
// are, cut to the convolver's length and shaped by a Hamming taper centred on
// the strongest sample so that a cut-off tail does not end in a step; the
// level is not normalised. The file's own sample rate is ignored.
//
// Threads:
//  - loadUserResponse() and setStereo() run on a parameter/editor thread
//    while audio may be running, one caller at a time (the shell serialises
//    them). The file is read and the response prepared there; the convolvers
//    publish their new partitions without making the audio thread wait.
//  - setSampleRate() and reset() run while processing is stopped.
//  - process() / processStereo() run on the audio thread.
class UserResponseEngine {
public:
    static constexpr int kSmallHead = 64;          // convolver head length at host rates up to kLowRateLimit
    static constexpr int kLargeHead = 128;         // convolver head length above it
    static constexpr int kSmallLength = 64 * kSmallHead; // 4096 response samples
    static constexpr int kLargeLength = 64 * kLargeHead; // 8192 response samples
    static constexpr float kLowRateLimit = RateBand::kLimit48k; // Hz; rates up to it use the small convolvers
    static constexpr double kOutputGain = 0.25;          // fixed output factor of the engine
    static constexpr double kTaperBase = 0.54;           // Hamming window: w = base - depth * cos(...)
    static constexpr double kTaperDepth = 0.46;
    static constexpr const char* kNoResponse = "empty";  // the path text that means "no user response"

    UserResponseEngine();
    UserResponseEngine(const UserResponseEngine&) = delete;
    UserResponseEngine& operator=(const UserResponseEngine&) = delete;

    // Mono or stereo cabinet mode ("CAB type" != 0). Takes effect at the next load.
    void setStereo(bool isStereo) { stereo = isStereo; }

    // Resume: stores the host rate and picks the response length and the
    // convolver size for it. The shell reloads the current path afterwards.
    void setSampleRate(float rate);

    // Reads the file at `path` ("empty", "" or nullptr: no response) and loads the
    // prepared response into the convolvers of the current size. A file that
    // cannot be used leaves a silent response; nothing is reported.
    void loadUserResponse(const char* path);

    // Suspend and construction: silences the response and the convolvers.
    void reset();
    // Processing stopped: empties the convolvers' histories, keeping the
    // response (the owner reloads it at resume all the same).
    void clearHistory() noexcept;

    // True when the last load named a file and found samples in it (any thread).
    bool hasResponse() const { return loaded; }

    // Audio thread, in place: out = 0.25 * (input convolved with the response).
    void process(double& sample);
    void processStereo(double& left, double& right);
    // Audio thread, in place, n samples (per channel): the same as process()
    // or processStereo() on each.
    void processBlock(double* samples, int n) noexcept;
    void processStereoBlock(double* left, double* right, int n) noexcept;

    // The prepared response of channel 0 (left, also mono) or 1 (right), kLargeLength
    // samples. Loading thread only (and tests): it is rewritten by each load.
    const double* response(int channel) const { return channelResponse[channel].data(); }
    int maximumLength() const { return maxLength; }
    bool isLowRate() const { return lowRate; }

private:
    // Fills channelResponse from the file (already zeroed); true when it held samples.
    bool copySamples(const char* path);
    // Multiplies the first `length` samples by the window centred on the peak.
    void taper(int length);
    // The left and right convolvers of the size the current rate uses.
    Convolver* activePair() noexcept { return lowRate ? smallConvolvers : largeConvolvers; }

    float sampleRate = 44100.0f;             // Hz, host rate (set at resume)
    Relaxed<bool> loaded = false;            // the last load gave a response (loading thread writes)
    Relaxed<bool> stereo = false;            // stereo cabinet mode (parameter thread; read when loading)
    int maxLength = kSmallLength;            // samples of the response used at this rate (set at resume)
    Relaxed<bool> lowRate = true;            // true: small convolvers (set at resume, read by the audio thread)
    std::vector<double> channelResponse[2];  // loading thread: prepared response, left (also mono) and right
    Convolver smallConvolvers[2]{Convolver(kSmallHead), Convolver(kSmallHead)}; // left, right
    Convolver largeConvolvers[2]{Convolver(kLargeHead), Convolver(kLargeHead)}; // left, right
    WavInfo wav;                             // loading thread: the file being read, storage reserved once
};

#include "CaptureMatch.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

using Channel = std::vector<float>;

double correlation(const float* a, const float* b, std::size_t n) {
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < n; ++i) {
        ab += double(a[i]) * b[i];
        aa += double(a[i]) * a[i];
        bb += double(b[i]) * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

double rms(const float* a, std::size_t n) {
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i)
        sum += double(a[i]) * a[i];
    return n != 0 ? std::sqrt(sum / double(n)) : 0;
}

std::size_t onset(const Channel& left, const Channel& right) {
    std::size_t i = 0;
    while (i < left.size() && std::fabs(left[i]) < 0.005f && std::fabs(right[i]) < 0.005f)
        ++i;
    return i;
}

// Stereo frames of raw PCM, resampled linearly from `rate` to `trackRate`.
void interpret(const Bytes& raw, bool isFloat, double rate, double trackRate, Channel& left,
               Channel& right) {
    const std::size_t sampleBytes = isFloat ? 4 : 2;
    const std::size_t frames = raw.size() / (2 * sampleBytes);
    auto sample = [&](std::size_t frame, std::size_t channel) {
        const std::uint8_t* p = raw.data() + (frame * 2 + channel) * sampleBytes;
        if (isFloat) {
            float value;
            std::memcpy(&value, p, 4);
            return std::isfinite(value) ? value : 0.0f;
        }
        std::int16_t value;
        std::memcpy(&value, p, 2);
        return value / 32768.0f;
    };
    const std::size_t outFrames =
        frames < 2 ? 0 : static_cast<std::size_t>((frames - 1) * trackRate / rate);
    left.assign(outFrames, 0);
    right.assign(outFrames, 0);
    for (std::size_t i = 0; i < outFrames; ++i) {
        const double at = i * rate / trackRate;
        const std::size_t j = std::min(static_cast<std::size_t>(at), frames - 2);
        const float t = static_cast<float>(at - j);
        left[i] = sample(j, 0) * (1 - t) + sample(j + 1, 0) * t;
        right[i] = sample(j, 1) * (1 - t) + sample(j + 1, 1) * t;
    }
}

} // namespace

CaptureMatch matchCapture(const Bytes& raw, const Decoded& track) {
    CaptureMatch best;
    if (track.channels != 2 || track.sampleRate <= 0)
        return best;
    const double trackRate = track.sampleRate;
    const std::size_t trackFrames = track.frames();
    Channel trackLeft(trackFrames), trackRight(trackFrames);
    for (std::size_t i = 0; i < trackFrames; ++i) {
        trackLeft[i] = track.samples[2 * i] / 32768.0f;
        trackRight[i] = track.samples[2 * i + 1] / 32768.0f;
    }
    const std::size_t trackOnset = onset(trackLeft, trackRight);
    const std::size_t segment = static_cast<std::size_t>(trackRate / 2);
    if (trackOnset + segment > trackFrames)
        return best;

    Channel bestLeft, bestRight;
    best.startScore = -1;
    for (bool isFloat : {true, false})
        for (double rate : {48000.0, 44100.0}) {
            Channel left, right;
            interpret(raw, isFloat, rate, trackRate, left, right);
            // Where the capture's first sound is, the track's first sound is: the start is
            // searched only near there, so a track that starts late cannot pass.
            const std::size_t captureOnset = onset(left, right);
            if (captureOnset < trackOnset)
                continue;
            const std::size_t centre = captureOnset - trackOnset;
            for (std::size_t start = centre > 400 ? centre - 400 : 0; start <= centre + 400;
                 ++start) {
                if (start + trackOnset + segment > left.size())
                    break;
                const double score = (correlation(left.data() + start + trackOnset,
                                                  trackLeft.data() + trackOnset, segment) +
                                      correlation(right.data() + start + trackOnset,
                                                  trackRight.data() + trackOnset, segment)) /
                                     2;
                if (score > best.startScore) {
                    best.startScore = score;
                    best.start = start;
                    best.format = std::string(isFloat ? "float32 " : "s16 ") +
                                  std::to_string(int(rate)) + " Hz";
                    best.captureFrames = left.size();
                    bestLeft = left;
                    bestRight = right;
                }
            }
        }
    if (best.startScore < 0) {
        best.startScore = 0;
        return best;
    }

    best.silenceBefore =
        std::max(rms(bestLeft.data(), best.start), rms(bestRight.data(), best.start));

    // A device that runs dry under load plays digital silence in the middle of the track and
    // then goes on with it. Such stretches (exact zeros in the capture, at least 64 frames and at
    // most half a second, where the track is audible) are cut out and counted; the rest is
    // compared half a second at a time, so sound that was lost, repeated or replaced ends the
    // run in order.
    auto zero = [&](std::size_t i) { return bestLeft[i] == 0.0f && bestRight[i] == 0.0f; };
    const std::size_t minGap = 64, maxGap = segment;
    Channel left, right;
    left.reserve(bestLeft.size() - best.start);
    right.reserve(bestLeft.size() - best.start);
    for (std::size_t c = best.start, t = 0; c < bestLeft.size(); ++t) {
        if (t < trackFrames && zero(c)) {
            std::size_t end = c;
            while (end < bestLeft.size() && end - c <= maxGap && zero(end))
                ++end;
            const std::size_t run = end - c;
            if (run >= minGap && run <= maxGap && end < bestLeft.size() && t + run <= trackFrames &&
                std::max(rms(trackLeft.data() + t, run), rms(trackRight.data() + t, run)) > 0.005) {
                best.gaps += 1;
                best.gapSeconds += double(run) / trackRate;
                c = end;
            }
        }
        left.push_back(bestLeft[c]);
        right.push_back(bestRight[c]);
        ++c;
    }

    for (std::size_t at = 0; at + segment <= trackFrames && at + segment <= left.size();
         at += segment) {
        double score;
        if (rms(trackLeft.data() + at, segment) < 1e-3 &&
            rms(trackRight.data() + at, segment) < 1e-3) {
            // A quiet stretch of the track must be quiet in the capture too.
            score = rms(left.data() + at, segment) < 2e-3 && rms(right.data() + at, segment) < 2e-3
                        ? 1.0
                        : 0.0;
        } else {
            score = std::min(correlation(left.data() + at, trackLeft.data() + at, segment),
                             correlation(right.data() + at, trackRight.data() + at, segment));
            best.worstSegment = std::min(best.worstSegment, score);
        }
        if (score <= 0.9)
            break;
        best.matchedSeconds = double(at + segment) / trackRate;
    }
    // After the track, skipping a little for the resampler's tail.
    const std::size_t after = trackFrames + segment / 5;
    if (best.matchedSeconds * trackRate + segment > trackFrames && after + segment <= left.size())
        best.silenceAfter = std::max(rms(left.data() + after, left.size() - after),
                                     rms(right.data() + after, right.size() - after));
    return best;
}

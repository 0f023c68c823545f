#include "dsp/reverb.h"

#include "sequencer/timing.h"

namespace music::dsp {

namespace {
// Mutually prime line lengths (at 44.1 kHz) so the combs' echoes do not pile
// up into audible flutter.
constexpr int kCombLengths[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr int kAllpassLengths[] = {556, 441, 341, 225};
constexpr int kStereoSpread = 23;
constexpr float kAllpassFeedback = 0.5f;
constexpr float kInputGain = 0.015f;
constexpr double kPreDelaySeconds = 0.025;

std::vector<float> silence(int length) {
    return std::vector<float>(static_cast<std::size_t>(length), 0.0f);
}
} // namespace

float Reverb::Comb::process(float input, float feedback, float damping) {
    const float output = buffer[position];
    filterState = output * (1.0f - damping) + filterState * damping;
    buffer[position] = input + filterState * feedback;
    position = (position + 1) % buffer.size();
    return output;
}

float Reverb::Allpass::process(float input) {
    const float delayed = buffer[position];
    buffer[position] = input + delayed * kAllpassFeedback;
    position = (position + 1) % buffer.size();
    return delayed - input;
}

float Reverb::Channel::process(float input, float feedback, float damping) {
    float sum = 0.0f;
    for (Comb& comb : combs)
        sum += comb.process(input, feedback, damping);
    for (Allpass& allpass : allpasses)
        sum = allpass.process(sum);
    return sum;
}

Reverb::Reverb(float roomSize, float damping, float width)
    : preDelay_(silence(static_cast<int>(kPreDelaySeconds * kSampleRate))),
      feedback_(0.7f + 0.28f * roomSize), damping_(0.4f * damping), wet1_(0.5f * (1.0f + width)),
      wet2_(0.5f * (1.0f - width)) {
    for (int length : kCombLengths) {
        left_.combs.push_back({silence(length), 0, 0.0f});
        right_.combs.push_back({silence(length + kStereoSpread), 0, 0.0f});
    }
    for (int length : kAllpassLengths) {
        left_.allpasses.push_back({silence(length), 0});
        right_.allpasses.push_back({silence(length + kStereoSpread), 0});
    }
}

void Reverb::process(float inLeft, float inRight, float& outLeft, float& outRight) {
    const float input = preDelay_[preDelayPosition_];
    preDelay_[preDelayPosition_] = (inLeft + inRight) * kInputGain;
    preDelayPosition_ = (preDelayPosition_ + 1) % preDelay_.size();
    const float left = left_.process(input, feedback_, damping_);
    const float right = right_.process(input, feedback_, damping_);
    outLeft = left * wet1_ + right * wet2_;
    outRight = right * wet1_ + left * wet2_;
}

} // namespace music::dsp

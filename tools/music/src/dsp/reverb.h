#pragma once

#include <vector>

namespace music::dsp {

// Parallel damped combs into series allpasses, one network per side with
// slightly longer lines on the right for a decorrelated, wide tail.
class Reverb {
  public:
    // roomSize in [0, 1] sets the tail length, damping in [0, 1] its darkness.
    Reverb(float roomSize, float damping, float width);
    void process(float inLeft, float inRight, float& outLeft, float& outRight);

  private:
    struct Comb {
        std::vector<float> buffer;
        std::size_t position = 0;
        float filterState = 0.0f;
        float process(float input, float feedback, float damping);
    };
    struct Allpass {
        std::vector<float> buffer;
        std::size_t position = 0;
        float process(float input);
    };
    struct Channel {
        std::vector<Comb> combs;
        std::vector<Allpass> allpasses;
        float process(float input, float feedback, float damping);
    };

    Channel left_;
    Channel right_;
    std::vector<float> preDelay_;
    std::size_t preDelayPosition_ = 0;
    float feedback_;
    float damping_;
    float wet1_;
    float wet2_;
};

} // namespace music::dsp

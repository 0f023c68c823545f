#pragma once

namespace music::dsp {

// Trapezoidal state-variable filter: stays stable and in tune when the
// cutoff is swept every sample, which the envelopes here do constantly.
class Svf {
  public:
    struct Output {
        float low;
        float band;
        float high;
    };

    // q of 0.707 is flat; higher values resonate.
    void set(double cutoffHz, double q);
    Output process(float input);
    void reset();

  private:
    float k_ = 1.414f;
    float a1_ = 0.0f, a2_ = 0.0f, a3_ = 0.0f;
    float ic1_ = 0.0f, ic2_ = 0.0f;
};

// First-order lowpass used for damping and parameter smoothing.
class OnePole {
  public:
    void setCutoff(double hz);
    float process(float input) {
        state_ += coefficient_ * (input - state_);
        return state_;
    }
    float value() const { return state_; }
    void reset(float value = 0.0f) { state_ = value; }

  private:
    float coefficient_ = 1.0f;
    float state_ = 0.0f;
};

// Removes DC and sub-audio rumble before the limiter sees the signal.
class DcBlocker {
  public:
    explicit DcBlocker(double cutoffHz = 10.0);
    float process(float input);

  private:
    float pole_;
    float lastInput_ = 0.0f;
    float lastOutput_ = 0.0f;
};

} // namespace music::dsp

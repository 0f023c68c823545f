#pragma once

namespace music::dsp {

// Linear attack, exponential decay and release. Decay and release times are
// the time to fall by 60 dB, the way reverb times are quoted.
class Adsr {
  public:
    void set(double attackSeconds, double decaySeconds, double sustainLevel, double releaseSeconds);
    // Attacks from the current level, so a retriggered voice does not click.
    void gateOn();
    void gateOff();
    float next();

    bool active() const { return stage_ != Stage::Idle; }
    bool held() const {
        return stage_ == Stage::Attack || stage_ == Stage::Decay || stage_ == Stage::Sustain;
    }
    float level() const { return level_; }

  private:
    enum class Stage { Idle, Attack, Decay, Sustain, Release };

    Stage stage_ = Stage::Idle;
    float level_ = 0.0f;
    float attackStep_ = 1.0f;
    float decayCoefficient_ = 0.0f;
    float releaseCoefficient_ = 0.0f;
    float sustain_ = 1.0f;
    float decayDistance_ = 0.0f;
};

// Multiplier per sample that falls by 60 dB over the given time.
float decayCoefficient(double seconds);

} // namespace music::dsp

#pragma once

namespace music::dsp {

enum class Wave { Sine, Saw, Square };

double midiToHz(double midiNote);

// Polynomial band-limited step residual; t is the phase in [0, 1) and dt the
// phase increment. Non-zero only within one sample of the discontinuity.
double polyBlep(double t, double dt);

class Oscillator {
  public:
    explicit Oscillator(Wave wave = Wave::Saw) : wave_(wave) {}

    void setWave(Wave wave) { wave_ = wave; }
    void setFrequency(double hz);
    void setPhase(double phase);
    // Fraction of the period spent high, for Square.
    void setPulseWidth(double width);

    float next();

  private:
    Wave wave_;
    double phase_ = 0.0;
    double increment_ = 0.0;
    double pulseWidth_ = 0.5;
};

} // namespace music::dsp

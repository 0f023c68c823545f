#pragma once

// Full screen in the chosen mode, as games keep it: the desktop gets its own modes back while
// another program is in front, the show its mode when the user returns; the clock and music run
// on. The activation message only notes the change: switching the mode sends messages of its own
// and takes seconds on a real monitor, and minimising or placing a window inside an activation
// activates again, so the work waits for a message of the show's own.
class DisplayModeKeeper {
  public:
    // What the keeper asks of the window system.
    class Actions {
      public:
        virtual bool isForeground() = 0;
        // The show's mode on its display. It sends messages, a deactivation among them maybe.
        virtual bool switchMode() = 0;
        // Every display back to its registry mode: switching one can move the others.
        virtual void restoreModes() = 0;
        // Minimised without activating another window.
        virtual void minimize() = 0;
        // Over the display as it is now, switched or not, without activating.
        virtual void cover(bool switched) = 0;
        // Has recheck() called once the activation message is over.
        virtual void postRecheck() = 0;

      protected:
        ~Actions() = default;
    };

    explicit DisplayModeKeeper(Actions& actions) : actions_(actions) {}

    // Once the window is shown and has asked for the foreground: only a show in front switches;
    // one refused the foreground waits minimised for its first activation. False when the
    // switch failed.
    bool start();
    // The activation message, either way.
    void activationChanged() { actions_.postRecheck(); }
    // The posted message: whether the show is in front, looked at again.
    void recheck();
    // Whether the mode is switched or being switched: teardown restores it then.
    bool switched() const { return switched_; }

  private:
    bool switchNow();

    Actions& actions_;
    bool switched_ = false;
};

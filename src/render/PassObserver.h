#pragma once

// Told the name of each pass as a frame reaches it, so benchmarks can split a frame's
// time and tests can look at the targets between passes. Null unless someone is watching.
class PassObserver {
  public:
    virtual ~PassObserver() = default;
    virtual void passBegins(const char* pass) = 0;
    virtual void frameEnds() = 0;
};

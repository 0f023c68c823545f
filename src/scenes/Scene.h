#pragma once

class Application;

// What the frame loop drives: update with the show time, then render, on the frames the
// schedule gives the scene. Each scene also has a non-virtual init(Application&).
class Scene {
  public:
    virtual ~Scene() = default;
    virtual void update(double time) = 0;
    virtual void render() = 0;
};

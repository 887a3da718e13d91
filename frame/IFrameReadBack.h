#pragma once

// What the main window tells the frame dialog while the controller's frame geometry is read
// back ("?k" ... "?z").
class IFrameReadBack {
public:
    virtual ~IFrameReadBack() = default;

    // A read-back value of a frame letter (k..z) as the parameter table decodes it; false for
    // any other letter.
    virtual bool ShowReadBack(char letter, int shown) = 0;
    // The spans and every coordinate have been read ("?y"): the plan is redrawn.
    virtual void GeometryRead() = 0;
};

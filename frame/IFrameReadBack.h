#pragma once

// What the main window tells the frame dialog while the controller's frame geometry is read
// back ("?k" ... "?z").
class IFrameReadBack {
public:
    virtual ~IFrameReadBack() = default;

    // A read-back value of a frame letter (k..z) as the parameter table decodes it; false for
    // any other letter.
    virtual bool ShowReadBack(char letter, int shown) = 0;
    // The frame read has ended ("?z" answered, or given up): the plan is drawn once.
    virtual void FrameReadEnded() = 0;
};

#pragma once

// What the main window tells the frame dialog once the controller's frame geometry has been
// read back ("?k" ... "?z"); the values themselves reach its fields through the parameter cache.
class IFrameReadBack {
public:
    virtual ~IFrameReadBack() = default;

    // The frame read has ended ("?z" answered, or given up): the plan is drawn once.
    virtual void FrameReadEnded() = 0;
};

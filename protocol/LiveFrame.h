#pragma once

#include <QString>
#include <array>

// One frame of the controller's live data stream, as parsed: the receiver channels ("CHDA"),
// the outputs to motors and servos ("MSDA") or the sensors ("SSDA").
struct LiveFrame {
    enum class Kind { Receiver, Outputs, Sensors };

    Kind kind = Kind::Receiver;
    // Receiver and output frames: the eight values in their order on the wire. The receiver
    // frame carries channel 4 before channel 3; ReceiverChannel gives them by channel number.
    std::array<int, 8> values{};

    // Sensor frames.
    int ultrasonicMm = 0;  // ultrasonic height, millimetres
    int baroDm = 0;        // barometric height, decimetres
    int headingDeg = 0;    // magnetic heading, degrees
    int vibration = 0;
    QString longitude;  // "113.123456"; a sign other than "+" stands in front: "-3.123456"
    QString latitude;   // "22.123456"
};

// Where receiver channel 1-8 stands among a receiver frame's values: the third and fourth
// values on the wire are channels 4 and 3.
inline constexpr std::array<std::size_t, 8> kWireIndexOfChannel{0, 1, 3, 2, 4, 5, 6, 7};

// Receiver channel 1-8 of a receiver frame.
inline int ReceiverChannel(const LiveFrame& frame, int channel) {
    return frame.values[kWireIndexOfChannel[std::size_t(channel - 1)]];
}

// The tag that opens a frame of this kind on the wire, as messages and recordings name it.
inline constexpr const char* TagOf(LiveFrame::Kind kind) {
    switch (kind) {
        case LiveFrame::Kind::Receiver:
            return "CHDA";
        case LiveFrame::Kind::Outputs:
            return "MSDA";
        case LiveFrame::Kind::Sensors:
            break;
    }
    return "SSDA";
}

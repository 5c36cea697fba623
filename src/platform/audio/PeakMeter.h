#pragma once

namespace zel::audio {

/// The level of what the computer plays.
class PeakMeter {
public:
    virtual ~PeakMeter() = default;
    /// True when a playback device is there to be measured.
    virtual bool audioDevicePresent() = 0;
    /// The highest peak (0.0 .. 1.0) since the last reading, which starts the next
    /// measurement; 0 without a device.
    virtual float takePeak() = 0;
};

} // namespace zel::audio

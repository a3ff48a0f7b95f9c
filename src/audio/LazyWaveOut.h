#pragma once

#include "WaveOut.h"

#include <functional>
#include <memory>

// A wave-out device made on first use: a run that plays nothing and lists nothing (--help,
// a render to a file) never asks for a sound server, so a frozen one costs it nothing.
// Everything is passed on to the device that make() returns, with the output and the media
// name set here.
class LazyWaveOut : public WaveOut
{
public:
    explicit LazyWaveOut(std::function<std::unique_ptr<WaveOut>()> make);
    ~LazyWaveOut() override;

    bool made() const { return m_device != nullptr; }

    std::vector<OutputDevice> outputDevices() override;
    std::int32_t checkOutput(const std::string& name) override;
    std::string reasonFor(int step, std::int32_t code) const override;
    std::uint32_t inputDeviceCount() override;
    std::uint32_t outputDeviceCount() override;
    std::int32_t open(WaveHandle& handle, const WaveFormat& format) override;
    std::int32_t prepareHeader(WaveHandle handle, WaveHeader& header) override;
    std::int32_t write(WaveHandle handle, WaveHeader& header) override;
    std::int32_t unprepareHeader(WaveHandle handle, WaveHeader& header) override;
    std::int32_t close(WaveHandle handle) override;
    std::int32_t reset(WaveHandle handle) override;
    std::int32_t deviceError(WaveHandle handle) override;

private:
    WaveOut& device();
    WaveOut& chosen();

    std::function<std::unique_ptr<WaveOut>()> m_make;
    std::unique_ptr<WaveOut> m_device;
};

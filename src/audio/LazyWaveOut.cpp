#include "LazyWaveOut.h"

LazyWaveOut::LazyWaveOut(std::function<std::unique_ptr<WaveOut>()> make) : m_make(std::move(make))
{
}

LazyWaveOut::~LazyWaveOut() = default;

WaveOut& LazyWaveOut::device()
{
    if (!m_device) {
        m_device = m_make();
        m_device->setWakeUp([this] { wakeUp(); });
    }
    return *m_device;
}

WaveOut& LazyWaveOut::chosen()
{
    // The choices made here so far hold for the next open (and for the count, which ALSA
    // takes on the chosen output).
    device().setOutputDevice(outputDevice());
    m_device->setOutputHeld(outputHeld());
    m_device->setMediaName(mediaName());
    return *m_device;
}

std::vector<OutputDevice> LazyWaveOut::outputDevices()
{
    return device().outputDevices();
}

std::int32_t LazyWaveOut::checkOutput(const std::string& name)
{
    return device().checkOutput(name);
}

std::string LazyWaveOut::reasonFor(int step, std::int32_t code) const
{
    return m_device ? m_device->reasonFor(step, code) : WaveOut::reasonFor(step, code);
}

std::uint32_t LazyWaveOut::inputDeviceCount()
{
    return chosen().inputDeviceCount();
}

std::uint32_t LazyWaveOut::outputDeviceCount()
{
    return chosen().outputDeviceCount();
}

std::int32_t LazyWaveOut::open(WaveHandle& handle, const WaveFormat& format)
{
    return chosen().open(handle, format);
}

std::int32_t LazyWaveOut::prepareHeader(WaveHandle handle, WaveHeader& header)
{
    return device().prepareHeader(handle, header);
}

std::int32_t LazyWaveOut::write(WaveHandle handle, WaveHeader& header)
{
    return device().write(handle, header);
}

std::int32_t LazyWaveOut::unprepareHeader(WaveHandle handle, WaveHeader& header)
{
    return device().unprepareHeader(handle, header);
}

std::int32_t LazyWaveOut::close(WaveHandle handle)
{
    return device().close(handle);
}

std::int32_t LazyWaveOut::reset(WaveHandle handle)
{
    return device().reset(handle);
}

std::int32_t LazyWaveOut::deviceError(WaveHandle handle)
{
    return device().deviceError(handle);
}

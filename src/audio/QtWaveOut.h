#pragma once

#include "WaveOut.h"

#include <QObject>
#include <map>
#include <memory>

class QAudioSink;
class SampleBufferDevice;

// The default audio output of Qt Multimedia. Must live on the thread that runs the
// event loop: the sink reports its state there.
class QtWaveOut : public QObject, public WaveOut
{
public:
    QtWaveOut();
    ~QtWaveOut() override;

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
    struct Stream;

    Stream* find(WaveHandle handle);
    void onStateChanged(Stream& stream);
    void onTailTick(Stream& stream);
    void stopQuietly(Stream& stream);

    std::map<WaveHandle, std::unique_ptr<Stream>> m_streams;
    WaveHandle m_lastHandle = 0;
};

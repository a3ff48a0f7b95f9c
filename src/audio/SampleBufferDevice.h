#pragma once

#include <QIODevice>
#include <cstdint>

// A read-only QIODevice over memory that someone else owns: the sink pulls the samples
// straight out of the sample buffer, with no copy of the whole buffer.
class SampleBufferDevice : public QIODevice
{
public:
    explicit SampleBufferDevice(QObject* parent = nullptr);

    // The memory must stay put until the device is closed.
    void setBuffer(const std::int16_t* data, std::uint32_t bytes);

    qint64 size() const override { return static_cast<qint64>(m_bytes); }
    bool isSequential() const override { return false; }
    // True once every byte has been handed out.
    bool drained() const { return pos() >= size(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    const char* m_data = nullptr;
    std::uint32_t m_bytes = 0;
};

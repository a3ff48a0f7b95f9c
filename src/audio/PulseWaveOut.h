#pragma once

#include "PulseConnection.h"
#include "PulseStream.h"
#include "WaveDeviceTable.h"
#include "WaveOut.h"

// Sound output through the sound server's own client library (libpulse, asynchronous API),
// which PulseAudio and PipeWire's PulseAudio service both speak.
//
// One connection per instance (PulseConnection; one instance per process). Each open() makes
// one playback stream (PulseStream), fed in chunks from the caller's buffer as the server
// asks for data; the end of the play is the completion of the stream's drain, which sets
// WHDR_DONE and wakes the wait. Every wait on the server has a deadline
// (PulseConnection::kServerAnswer).
//
// Result codes, stable across versions (WaveResult values), and the reasons that
// reasonFor() gives for them:
//   open()         NoDriver (6)     no server answers at the socket, or it went away before
//                                   the stream was made
//                  TimedOut (258)   the server took the connection but never answered, has a
//                                   full queue of connections, or never made the stream
//                                   ready (a frozen server); waited for once per connection
//                  BadDeviceId (2)  the server has no such output (or no output at all)
//                  Allocated (4)    the server refused the stream
//                  BadFormat (32)   not 16-bit PCM at a rate the server takes
//                  NoMemory (7)     the client library could not start its thread
//   deviceError()  NoDriver (6)     the server went away during the play
//                  BadDeviceId (2)  the output went away during the play (a held output:
//                                   see WaveOut::setOutputHeld)
//                  Error (1)        the server ended the stream during the play
//                  TimedOut (258)   the server stopped answering during the play, or the
//                                   drain did not end in time after the last byte
//   other steps    InvalidHandle, InvalidParam, Unprepared, StillPlaying as their names say
class PulseWaveOut : public WaveOut
{
public:
    PulseWaveOut();
    ~PulseWaveOut() override;
    PulseWaveOut(const PulseWaveOut&) = delete;
    PulseWaveOut& operator=(const PulseWaveOut&) = delete;

    // The server's sinks. Empty when no server answers.
    std::vector<OutputDevice> outputDevices() override;
    // A sink that the server lists; otherwise why not (no server, a stuck one, no such sink).
    std::int32_t checkOutput(const std::string& name) override;
    std::string reasonFor(int step, std::int32_t code) const override;
    // Sources that are not the monitor of a sink; sinks. 0 when there is no server; a server
    // that took the connection and stays silent counts as one output.
    std::uint32_t inputDeviceCount() override;
    std::uint32_t outputDeviceCount() override;

    // Plays on outputDevice(), or on the server's default sink when it is empty.
    std::int32_t open(WaveHandle& handle, const WaveFormat& format) override;
    std::int32_t prepareHeader(WaveHandle handle, WaveHeader& header) override;
    std::int32_t write(WaveHandle handle, WaveHeader& header) override;
    std::int32_t unprepareHeader(WaveHandle handle, WaveHeader& header) override;
    std::int32_t close(WaveHandle handle) override;
    // Drops what the server still holds (no drain) and releases the stream.
    std::int32_t reset(WaveHandle handle) override;
    std::int32_t deviceError(WaveHandle handle) override;

private:
    using Device = WaveDeviceTable<PulseStream>::Device; // its stream is null once reset

    PulseConnection m_connection;
    WaveDeviceTable<PulseStream> m_devices;
};

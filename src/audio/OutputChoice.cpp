#include "OutputChoice.h"

#include "WaveOut.h"

#include <ostream>

bool listOutputs(WaveOut& device, std::ostream& out)
{
    const auto outputs = device.outputDevices();
    for (const OutputDevice& output : outputs)
        out << output.name << '\t' << output.description << (output.isDefault ? "\tdefault" : "")
            << '\n';
    return !outputs.empty();
}

std::string chooseOutput(WaveOut& device, const std::string& name)
{
    const std::string why = outputProblem(device, name);
    if (why.empty())
        device.setOutputDevice(name);
    return why;
}

std::string outputProblem(WaveOut& device, const std::string& name)
{
    const std::int32_t code = device.checkOutput(name);
    if (code == WaveResult::NoError)
        return {};
    std::string names;
    for (const OutputDevice& output : device.outputDevices())
        names += "\n  " + output.name;
    return "cannot open output device '" + name + "': " + device.reasonFor(1, code) +
           (names.empty() ? "; no output was found" : "; the outputs are:" + names);
}

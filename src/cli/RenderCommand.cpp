#include "RenderCommand.h"

#include "DtmfTable.h"
#include "OutputChoice.h"
#include "OutputFile.h"
#include "PathText.h"
#include "PcmOutput.h"
#include "PlayCommand.h"
#include "PlaybackCycle.h"
#include "RenderOptions.h"
#include "Renderer.h"
#include "Timings.h"
#include "ToneErrors.h"
#include "ToneSetCatalog.h"
#include "ToneSetFile.h"
#include "ToneSetNames.h"
#include "ToneSetSearchPaths.h"
#include "modTone.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <new>
#include <optional>
#include <string>

namespace
{

constexpr const char* kProgram = "quorvel-render: ";
#define QUORVEL_TEXT(x) #x
#define QUORVEL_STRING(x) QUORVEL_TEXT(x)
constexpr const char* kVersion = QUORVEL_STRING(QUORVEL_VERSION);

bool endsWithWav(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string suffix = path.substr(path.size() - 4);
    for (char& c : suffix)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return suffix == ".wav";
}

void printList(const ToneSetCatalog& catalog, std::ostream& out)
{
    const auto& entries = catalog.entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        out << i << '\t' << ToneSetCatalog::listText(entries[i].text) << '\t';
        if (i >= 2)
            out << entries[i].itemData;
        out << '\n';
    }
}

// The durations the window would show after choosing the set: DTMF presets, or the
// file set's own duration with no pause between tones.
void applyPresets(const ToneSetCatalog& catalog, int index, RenderOptions& options)
{
    double tone = 70;
    double pause = 0;
    if (index == 0 || index == 1) {
        const DtmfPreset& preset = index == 0 ? kDtmf1Preset : kDtmf2Preset;
        tone = std::stod(std::string(preset.toneDurationText));
        pause = std::stod(std::string(preset.tonePauseText));
    } else if (index >= 2) {
        // A negative default is sent as 0, as the window's Send does with its box.
        tone = std::max(0, catalog.entries()[static_cast<std::size_t>(index)].itemData);
    }
    if (!options.toneMs)
        options.toneMs = tone;
    if (!options.pauseMs)
        options.pauseMs = pause;
}

bool writesStandardOutput(const RenderOptions& options)
{
    return options.output.empty() || options.output == "-";
}

std::string writeSamples(const RenderOptions& options, const PcmBuffer& buffer, std::ostream& out,
                         OutputFile& file)
{
    if (writesStandardOutput(options)) {
        writeRawPcm(out, buffer.samples()); // a failure is reported with every other output's
        return {};
    }
    const std::string reason = endsWithWav(options.output)
                                   ? writeWavFile(file.descriptor(), buffer.samples())
                                   : writeRawFile(file.descriptor(), buffer.samples());
    return reason.empty() ? file.commit() : file.failure(reason);
}

// Reads the tone-set file into the catalogue and the table: the one named with --tonesets,
// which must be readable, or the first that exists where tone sets are looked for. Problems
// inside the file are warnings and its valid sets stay usable. `read` names the file read;
// otherwise `notRead` says which files were looked for and why none was read.
std::optional<int> loadToneSetFile(const RenderOptions& options, ToneSetCatalog& catalog,
                                   ToneTable& tones, std::ostream& err, std::string& read,
                                   std::string& notRead)
{
    const bool named = options.toneSetsFile.has_value();
    const auto shown = [](const std::filesystem::path& path) {
        std::error_code ec;
        const std::filesystem::path where = std::filesystem::absolute(path, ec);
        return "'" + pathText(ec ? path : where) + "'";
    };
    std::optional<std::filesystem::path> found;
    std::error_code ec;
    if (named) {
        found = pathFromText(*options.toneSetsFile);
        if (!std::filesystem::exists(*found, ec)) {
            err << kProgram << "tone-set file '" << pathText(*found) << "' not found\n";
            return 1;
        }
    } else {
        std::string looked;
        for (const std::filesystem::path& path : toneSetSearchPaths()) {
            if (std::filesystem::exists(path, ec)) {
                found = path;
                break;
            }
            looked += (looked.empty() ? "" : ", ") + shown(path);
        }
        if (!found) {
            notRead = "no tone-set file was read: none was found (looked for " + looked + ")";
            return std::nullopt;
        }
    }
    const std::filesystem::path& path = *found;
    const ToneSetLoadResult result = LoadToneSets(tones, catalog, path);
    if (named && !result.fileRead) {
        err << kProgram << "cannot read tone-set file '" << pathText(path)
            << "': " << result.readError << '\n';
        return 1;
    }
    for (const std::string& problem : result.problems.lines())
        err << kProgram << "warning: " << pathText(path) << ": " << problem << '\n';
    if (result.fileRead)
        read = shown(path);
    else
        notRead =
            "no tone-set file was read: " + shown(path) + " cannot be read: " + result.readError;
    return std::nullopt;
}

// Names the characters of the sequence that are no symbol and sound as silence, once each,
// in the order typed; empty when there are none. DTMF's * and # are E and F here.
std::string silenceWarning(const std::string& typed, int index)
{
    std::vector<std::string> silent;
    for (std::size_t i = 0; i < typed.size();) {
        std::size_t end = i + 1; // a UTF-8 character's continuation bytes go with it
        while (end < typed.size() && (static_cast<unsigned char>(typed[end]) & 0xC0) == 0x80)
            ++end;
        const std::string c = typed.substr(i, end - i);
        i = end;
        const bool symbol = c.size() == 1 && ((c[0] >= '0' && c[0] <= '9') ||
                                              (c[0] >= 'A' && c[0] <= 'F') || c[0] == ' ');
        if (!symbol && std::find(silent.begin(), silent.end(), c) == silent.end())
            silent.push_back(c);
    }
    if (silent.empty())
        return {};
    std::string text;
    for (std::size_t i = 0; i < silent.size(); ++i)
        text += (i == 0 ? "'" : i + 1 == silent.size() ? " and '" : ", '") + silent[i] + "'";
    text += silent.size() == 1 ? " is not a symbol and sounds as silence"
                               : " are not symbols and sound as silence";
    if (index == 0 || index == 1) {
        for (const auto& [key, symbol] : {std::pair{"*", "E"}, {"#", "F"}})
            if (std::find(silent.begin(), silent.end(), key) != silent.end())
                text += std::string("; DTMF's ") + key + " is " + symbol;
    }
    return text;
}

int usageError(std::ostream& err, const std::string& message)
{
    err << kProgram << message << "\nTry 'quorvel-render --help'.\n";
    return 2;
}

int runCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
               const PlayServices* play, bool outIsTerminal);

} // namespace

int runRenderCommand(const std::vector<std::string>& arguments, std::ostream& out,
                     std::ostream& err, const PlayServices* play, bool outIsTerminal)
{
    const int status = runCommand(arguments, out, err, play, outIsTerminal);
    // Standard output is checked once, when everything has been written to it: a list, a
    // play's report or the samples on a full disk or a closed pipe must not be lost without a
    // word, nor with a success status.
    out.flush();
    if (out)
        return status;
    err << kProgram << "cannot write standard output\n";
    return status == 0 ? 1 : status;
}

namespace
{

int runCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
               const PlayServices* play, bool outIsTerminal)
{
    auto parsed = parseRenderOptions(arguments);
    if (const auto* usage = std::get_if<UsageError>(&parsed))
        return usageError(err, usage->message);
    RenderOptions& options = std::get<RenderOptions>(parsed);
    if (options.help) {
        out << options.helpText;
        return 0;
    }
    if (options.version) {
        out << "quorvel-render " << kVersion << '\n';
        return 0;
    }
    if (options.radio.listDevices) {
        if (const std::string why = play ? play->shortage() : ""; !why.empty()) {
            err << kProgram << why << '\n';
            return 1;
        }
        if (play && listOutputs(play->device, out))
            return 0;
        err << kProgram << "the audio output cannot list its devices\n";
        return 1;
    }

    ToneSetCatalog catalog;
    modTone m;
    LoadDtmfTable(m.Tones);
    std::string read, notRead;
    if (const auto status = loadToneSetFile(options, catalog, m.Tones, err, read, notRead))
        return *status;
    if (options.list) {
        // Standard output keeps one line a set, as scripts read it.
        err << kProgram << (read.empty() ? notRead : "tone sets read from " + read) << '\n';
        printList(catalog, out);
        return 0;
    }

    int index = options.index.value_or(0);
    if (options.setName) {
        std::string ambiguity;
        const auto found = catalog.indexOf(*options.setName, &ambiguity);
        if (!ambiguity.empty())
            return usageError(err, ambiguity);
        if (!found)
            return usageError(err, "unknown tone set '" + *options.setName + "' (see --list)" +
                                       (notRead.empty() ? "" : "; " + notRead));
        index = *found;
    }
    if (index >= static_cast<int>(catalog.entries().size()))
        return usageError(err, "no tone set with index " + std::to_string(index) + " (see --list)");
    applyPresets(catalog, index, options);
    // Samples are binary: in a terminal they are noise, and may set its modes.
    if (!options.play && options.output.empty() && outIsTerminal)
        return usageError(err, "standard output is a terminal: write the samples to a file "
                               "with -o FILE, or to a pipe");
    if (const std::string warning = silenceWarning(options.sequenceText, index); !warning.empty())
        err << kProgram << "warning: " << warning << '\n';
    if (options.play && options.sequence.empty())
        return usageError(err, "nothing to play: the sequence is empty");
    if (options.play && !play) {
        err << kProgram << "no audio output is available to play on\n";
        return 1;
    }
    if (options.radio.device) {
        if (const std::string why = chooseOutput(play->device, *options.radio.device); !why.empty())
            return usageError(err, why);
    }
    if (play)
        play->device.setOutputHeld(options.radio.ptt.has_value()); // a keyed call never moves

    // Created before rendering, so that an output folder that cannot be written costs no
    // rendering time.
    OutputFile file(options.output);
    if (!options.play && !writesStandardOutput(options)) {
        if (const std::string error = file.open(); !error.empty()) {
            err << kProgram << error << '\n';
            return 1;
        }
    }

    try {
        m.ToneDuration = *options.toneMs / 1000;
        m.TonePause = *options.pauseMs / 1000;
        m.SequencePause = options.sequencePauseMs / 1000;
        m.UseRepeatTone = options.repeatTone;
        m.Framing = options.radio.framing;
        ComputeTimings(m);
        if (options.play) // refused before a line is keyed or a device opened
            samplesNeeded(m, options.sequence);
        else if (!options.sequence.empty())
            renderSequence(m, options.sequence, index);
    } catch (const ToneError& e) {
        err << kProgram << e.what() << '\n';
        return 1;
    } catch (const std::bad_alloc&) {
        err << kProgram << "out of memory\n";
        return 1;
    }

    if (options.play)
        return runPlay(m, options.sequence, index, options.radio, *play, out, err);

    const std::string error = writeSamples(options, m.SampleBuffer, out, file);
    if (!error.empty()) {
        err << kProgram << error << '\n';
        return 1;
    }
    return 0;
}

} // namespace

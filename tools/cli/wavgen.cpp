// wavgen <output .wav> <tone|noise|silence> <seconds> [key=value...]
// Writes a 16-bit PCM WAV file. Keys: rate (44100), channels (1), amp (0.5
// of full scale), freq (one frequency or several as 262,330,392, played one
// after another), decay (per second), seed (noise), layout (words of
// WavLayoutByNames, as editors lay files out), damage (a fault word of
// WavFaultByName, for refusal tests; plain layout only).

#include "tools/formats/WavWriter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
bool ParseSignal(const char* word, WavSignal& signal)
{
    if (strcmp(word, "tone") == 0)
        signal = WavSignal::kTone;
    else if (strcmp(word, "noise") == 0)
        signal = WavSignal::kNoise;
    else if (strcmp(word, "silence") == 0)
        signal = WavSignal::kSilence;
    else
        return false;
    return true;
}

std::vector<float> ParseFrequencies(const char* text)
{
    std::vector<float> frequencies;
    std::string list(text);
    size_t start = 0;
    while (start <= list.size())
    {
        const size_t comma = list.find(',', start);
        const std::string word =
            list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!word.empty())
            frequencies.push_back(strtof(word.c_str(), nullptr));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return frequencies;
}

struct Options
{
    WavSignalSpec spec;
    WavLayout layout;
    bool laidOut = false;
    bool damaged = false;
    WavFault fault = WavFault::kEmpty;
};

bool ParseOption(const char* argument, Options& options)
{
    const char* equals = strchr(argument, '=');
    if (!equals)
        return false;
    const std::string key(argument, equals - argument);
    const char* value = equals + 1;
    WavSignalSpec& spec = options.spec;
    if (key == "rate")
        spec.rate = uint32_t(strtoul(value, nullptr, 10));
    else if (key == "channels")
        spec.channels = uint16_t(strtoul(value, nullptr, 10));
    else if (key == "amp")
        spec.amplitude = strtof(value, nullptr);
    else if (key == "freq")
        spec.frequencies = ParseFrequencies(value);
    else if (key == "decay")
        spec.decay = strtof(value, nullptr);
    else if (key == "seed")
        spec.seed = uint32_t(strtoul(value, nullptr, 10));
    else if (key == "layout")
        return options.laidOut = WavLayoutByNames(value, options.layout);
    else if (key == "damage")
        return options.damaged = WavFaultByName(value, options.fault);
    else
        return false;
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    Options options;
    WavSignalSpec& spec = options.spec;
    if (argc < 4 || !ParseSignal(argv[2], spec.signal))
    {
        fprintf(stderr, "usage: wavgen <output.wav> <tone|noise|silence> <seconds> [key=value...]\n");
        return 2;
    }
    spec.seconds = strtof(argv[3], nullptr);
    for (int i = 4; i < argc; ++i)
        if (!ParseOption(argv[i], options))
        {
            fprintf(stderr, "wavgen: unknown option %s\n", argv[i]);
            return 2;
        }
    if (spec.rate == 0 || spec.channels == 0)
    {
        fprintf(stderr, "wavgen: the rate and the channel count must not be 0\n");
        return 2;
    }
    if (options.laidOut && options.damaged)
    {
        fprintf(stderr, "wavgen: damage patches the plain header and takes no layout\n");
        return 2;
    }
    std::vector<uint8_t> file = WavWriteLaidOut(WavSynthesize(spec), spec.channels, spec.rate, options.layout);
    if (options.damaged)
        file = WavDamage(std::move(file), options.fault);
    FILE* out = fopen(argv[1], "wb");
    if (!out)
    {
        fprintf(stderr, "wavgen: cannot write %s\n", argv[1]);
        return 1;
    }
    const bool written = file.empty() || fwrite(file.data(), 1, file.size(), out) == file.size();
    return (fclose(out) == 0 && written) ? 0 : 1;
}

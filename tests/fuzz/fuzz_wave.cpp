// Sound files: the 44-byte WAV header and its samples, whole in memory.
#include "FuzzTarget.h"

#include "audio/WaveFile.h"

FUZZ_TARGET(wave)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    WaveData wave;
    if (WaveParse(data, size, "fuzz.wav", wave))
    {
        // Every sample the reader hands on must lie inside the input.
        volatile uint8_t sum = 0;
        for (uint32_t i = 0; i < wave.size; ++i)
            sum = uint8_t(sum + wave.samples[i]);
    }
    return 0;
}

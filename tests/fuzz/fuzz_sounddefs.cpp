// Sound definition files: entries of four tokens through the shared tokenizer.
#include "FuzzTarget.h"

#include "audio/SoundDefFile.h"
#include "core/FixedString.h"

#include <climits>
#include <cstring>

FUZZ_TARGET(sounddefs)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    if (size > INT_MAX)
        return 0;
    volatile size_t seen = 0;
    SoundDefFileRead(reinterpret_cast<const char*>(data), int(size),
                     [&seen](const SoundDefEntry& entry)
                     {
                         // Each field is a terminated token that fits its buffer.
                         for (const char* field : {entry.name, entry.file, entry.looping, entry.volume})
                             seen = seen + strnlen(field, kSoundDefTokenSize);
                     });
    return 0;
}

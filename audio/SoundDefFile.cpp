#include "audio/SoundDefFile.h"

#include "core/Tokenizer.h"

void SoundDefFileRead(const char* text, int length, const std::function<void(const SoundDefEntry&)>& visit)
{
    TokenReset();
    TokenSetText(text, length);
    char name[kSoundDefTokenSize];
    char file[kSoundDefTokenSize];
    char looping[kSoundDefTokenSize];
    char volume[kSoundDefTokenSize];
    char* fields[] = {name, file, looping, volume};
    bool end = false;
    while (!end)
    {
        for (char* field : fields)
            field[0] = 0;
        // The token that ends the text still belongs to its entry.
        for (char* field : fields)
            if (end || !TokenNext(&end, field, kSoundDefTokenSize))
                break;
        if (name[0] == 0 || file[0] == 0)
            break;
        visit(SoundDefEntry{name, file, looping, volume});
    }
    TokenStop();
}

#include "core/FileCipher.h"

#include <cstring>

namespace
{
// The two base keys. The enciphering tool links this same unit, so data and
// reader can never disagree.
const char kBaseKeyA[kFileCipherKeyMax + 1] = "zSrAiSPx5NSk2zjnrw7CFKD7ByzJ528r4h9o01yvbEjvxIu2GdingDB5FKbZ";
const char kBaseKeyB[kFileCipherKeyMax + 1] = "wlp8bFvHEgifYbXbbJXrb0ANDVdySoRUQZeUX5H2dscdIMmnDOKSTmsOkRW4";

uint8_t BaseKeyByte(int i)
{
    const uint8_t a = static_cast<uint8_t>(kBaseKeyA[i]);
    const uint8_t b = static_cast<uint8_t>(kBaseKeyB[i]);
    switch (i % 3)
    {
    case 0:
        return a;
    case 1:
        return b;
    default:
        return static_cast<uint8_t>(a ^ b);
    }
}
} // namespace

bool FileCipherKeyFits(const char* keyName)
{
    if (!keyName)
        return false;
    const size_t length = strlen(keyName);
    return length > 0 && length <= kFileCipherKeyMax;
}

void FileCipherApply(uint8_t* bytes, size_t count, const char* keyName, uint64_t position)
{
    if (!FileCipherKeyFits(keyName))
        return;
    const int keyLength = static_cast<int>(strlen(keyName));
    uint8_t key[kFileCipherKeyMax];
    for (int i = 0; i < keyLength; ++i)
        key[i] = static_cast<uint8_t>(static_cast<uint8_t>(keyName[i]) ^ BaseKeyByte(i));

    int index = static_cast<int>(position % static_cast<uint64_t>(keyLength));
    for (size_t j = 0; j < count; ++j)
    {
        bytes[j] ^= key[index];
        if (++index == keyLength)
            index = 0;
    }
}

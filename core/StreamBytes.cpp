#include "core/StreamBytes.h"

#include "core/pd_ifstream.h"

bool StreamReadAll(pd_ifstream& stream, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    if (!stream.IsOpen())
        return false;
    bytes.resize(stream.Size());
    return stream.Read(bytes.data(), bytes.size()) == bytes.size();
}

#include "core/StreamBytes.h"

#include "core/LogError.h"
#include "core/pd_ifstream.h"

bool StreamWithinBound(pd_ifstream& stream, const FileSizeBound& bound)
{
    const uint64_t size = stream.Size();
    if (size <= bound.bytes)
        return true;
    LogError("Pendrel File %s is %llu bytes, more than any %s (%llu); it is not read.\n", stream.Name(),
             static_cast<unsigned long long>(size), bound.kind, static_cast<unsigned long long>(bound.bytes));
    return false;
}

bool StreamReadAll(pd_ifstream& stream, const FileSizeBound& bound, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    if (!stream.IsOpen() || !StreamWithinBound(stream, bound))
        return false;
    bytes.resize(static_cast<size_t>(stream.Size()));
    const size_t read = bytes.empty() ? 0 : stream.Read(bytes.data(), bytes.size());
    if (read == bytes.size())
        return true;
    LogError("Pendrel File %s ended after %zu of its %zu bytes; it is not read.\n", stream.Name(), read,
             bytes.size());
    bytes.clear();
    return false;
}

#include "SqStream.h"

#include <cstring>

namespace
{

template <typename T> bool ReadRaw(SqStream& stream, T* value)
{
    return stream.Read(value, int32_t(sizeof(T))) == int32_t(sizeof(T));
}

template <typename T> bool WriteRaw(SqStream& stream, T value)
{
    return stream.Write(&value, int32_t(sizeof(T))) == int32_t(sizeof(T));
}

template <typename T> SqStreamResult ReadInteger(SqStream& stream, SqStreamNumber* number)
{
    T value{};
    if (!ReadRaw(stream, &value))
        return SqStreamResult::IoError;
    number->isFloat = false;
    number->integer = int32_t(value);
    return SqStreamResult::Ok;
}

template <typename T> SqStreamResult ReadFloat(SqStream& stream, SqStreamNumber* number)
{
    T value{};
    if (!ReadRaw(stream, &value))
        return SqStreamResult::IoError;
    number->isFloat = true;
    number->real = float(value);
    return SqStreamResult::Ok;
}

SqStreamResult Written(bool ok)
{
    return ok ? SqStreamResult::Ok : SqStreamResult::IoError;
}

} // namespace

bool SqSeekOriginFromLetter(int32_t letter, SqSeekOrigin* origin)
{
    switch (letter)
    {
    case 'b':
        *origin = SqSeekOrigin::Begin;
        return true;
    case 'c':
        *origin = SqSeekOrigin::Current;
        return true;
    case 'e':
        *origin = SqSeekOrigin::End;
        return true;
    default:
        return false;
    }
}

SqStreamResult SqStreamReadNumber(SqStream& stream, int32_t type, SqStreamNumber* number)
{
    switch (type)
    {
    case 'l':
    case 'i':
        return ReadInteger<int32_t>(stream, number);
    case 's':
        return ReadInteger<int16_t>(stream, number);
    case 'w':
        return ReadInteger<uint16_t>(stream, number);
    case 'c':
        return ReadInteger<int8_t>(stream, number);
    case 'b':
        return ReadInteger<uint8_t>(stream, number);
    case 'f':
        return ReadFloat<float>(stream, number);
    case 'd':
        return ReadFloat<double>(stream, number);
    default:
        return SqStreamResult::InvalidFormat;
    }
}

SqStreamResult SqStreamWriteNumber(SqStream& stream, int32_t type, const SqStreamNumber& number)
{
    const int32_t i = number.isFloat ? int32_t(number.real) : number.integer;
    const float f = number.isFloat ? number.real : float(number.integer);
    switch (type)
    {
    case 'l':
    case 'i':
        return Written(WriteRaw(stream, i));
    case 's':
        return Written(WriteRaw(stream, int16_t(i)));
    case 'w':
        return Written(WriteRaw(stream, uint16_t(i)));
    case 'c':
        return Written(WriteRaw(stream, int8_t(i)));
    case 'b':
        return Written(WriteRaw(stream, uint8_t(i)));
    case 'f':
        return Written(WriteRaw(stream, f));
    case 'd':
        return Written(WriteRaw(stream, double(f)));
    default:
        return SqStreamResult::InvalidFormat;
    }
}

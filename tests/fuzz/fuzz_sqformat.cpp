// The string library's format(): the format up to the first zero byte; the values after it, each a tag
// byte (integer, float, string) and its bytes.
#include "FuzzTarget.h"

#include "squirrel/stdlib/SqFormat.h"

#include <cstring>
#include <string>
#include <vector>

namespace
{
struct FuzzValue
{
    char type; // 'i', 'f' or 's'
    int32_t integer = 0;
    float real = 0;
    std::string text;
};

class FuzzArgs : public SqFormatArgs
{
public:
    explicit FuzzArgs(const std::string& bytes)
    {
        size_t i = 0;
        while (i < bytes.size() && m_values.size() < 16)
        {
            FuzzValue v;
            v.type = "ifs"[uint8_t(bytes[i]) % 3];
            ++i;
            const size_t take = v.type == 's' ? std::min<size_t>(bytes.size() - i, uint8_t(bytes[i - 1]) / 3) : 4;
            if (i + take > bytes.size())
                break;
            if (v.type == 'i')
                memcpy(&v.integer, &bytes[i], 4);
            else if (v.type == 'f')
                memcpy(&v.real, &bytes[i], 4);
            else
                v.text.assign(bytes, i, take);
            i += take;
            m_values.push_back(v);
        }
    }
    int Count() const override { return int(m_values.size()); }
    bool GetInteger(int index, int32_t* value) const override
    {
        const FuzzValue& v = m_values[size_t(index)];
        if (v.type == 's')
            return false;
        *value = v.type == 'i' ? v.integer : RealToInteger(v.real);
        return true;
    }
    bool GetFloat(int index, float* value) const override
    {
        const FuzzValue& v = m_values[size_t(index)];
        if (v.type == 's')
            return false;
        *value = v.type == 'f' ? v.real : float(v.integer);
        return true;
    }
    bool GetString(int index, const char** text) const override
    {
        const FuzzValue& v = m_values[size_t(index)];
        if (v.type != 's')
            return false;
        *text = v.text.c_str();
        return true;
    }

private:
    // As the VM converts: values out of range are the host's business, not the formatter's.
    static int32_t RealToInteger(float real)
    {
        return real > -2147483648.0f && real < 2147483648.0f ? int32_t(real) : 0;
    }
    std::vector<FuzzValue> m_values;
};
} // namespace

FUZZ_TARGET(sqformat)(const uint8_t* data, size_t size)
{
    const FuzzSplit input = FuzzSplitAtZero(data, size);
    const FuzzArgs args(input.rest);
    std::string out;
    std::string error;
    SqFormat(input.first.data(), input.first.size(), args, &out, &error);
    return 0;
}

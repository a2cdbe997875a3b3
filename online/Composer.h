#pragma once
// The text a save is made of: lines of a key, a TAB, a value and a LF,
// appended into one buffer that the script sizes with Init. The buffer grows
// when a line does not fit, so a short Init loses nothing.

#include <cstdint>
#include <memory>

class composer
{
public:
    // The largest save text kept; a line beyond it is dropped with a report.
    static constexpr int32_t kMaxBytes = 100 * 1024 * 1024;

    composer() = default;
    composer(const composer&) = delete;
    composer& operator=(const composer&) = delete;

    // Allocates the buffer and makes the composer active; a second call does nothing.
    void Init(int32_t size);
    // Appends one line; does nothing unless active.
    void AddToken(const char* key, const char* value);
    void Free();

    const char* Buffer() const { return m_buffer.get(); }
    int32_t Capacity() const { return m_capacity; }
    int32_t Length() const { return m_length; }
    bool IsActive() const { return m_active == 1; }

private:
    bool MakeRoom(int64_t needed);

    std::unique_ptr<char[]> m_buffer;
    int32_t m_capacity = 0;
    int32_t m_length = 0;
    int32_t m_active = 0;
};

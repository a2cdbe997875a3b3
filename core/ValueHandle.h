#pragma once
// One word that refers to an object, or to nothing.

class ValueHandle
{
public:
    void Clear() { m_object = nullptr; }
    void Assign(void* object) { m_object = object; }
    void* Get() const { return m_object; }
    bool IsSet() const { return m_object != nullptr; }
    bool operator==(const ValueHandle& other) const { return m_object == other.m_object; }
    bool operator!=(const ValueHandle& other) const { return m_object != other.m_object; }

private:
    void* m_object = nullptr;
};

#include "platform/SettingsStore.h"

#include "core/LogError.h"
#include "core/StringUtil.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>

namespace
{
constexpr char kDwordPrefix[] = "dword:";
constexpr int kDwordPrefixLength = 6;
constexpr int kDwordDigits = 8;

// The configuration folder of the XDG base directories; a relative
// $XDG_CONFIG_HOME is invalid there and is passed over.
bool ConfigFolder(FixedString256& folder)
{
    const char* configHome = getenv("XDG_CONFIG_HOME");
    if (configHome && configHome[0] == '/')
    {
        folder = configHome;
        return true;
    }
    const char* home = getenv("HOME");
    if (!home || home[0] != '/')
        return false;
    folder.Format("%s/.config", home);
    return true;
}

// Creates every folder along the path up to its last '/'.
bool MakeParentFolders(const char* path)
{
    FixedString256 partial;
    for (int i = 1; path[i]; ++i)
    {
        if (path[i] != '/')
            continue;
        partial.Assign(path);
        partial.data()[i] = 0;
        if (mkdir(partial, 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool ParseDword(const char* text, uint32_t& value)
{
    if (strncmp(text, kDwordPrefix, kDwordPrefixLength) != 0)
        return false;
    const char* digits = text + kDwordPrefixLength;
    uint32_t result = 0;
    for (int i = 0; i < kDwordDigits; ++i)
    {
        const int digit = HexDigitValue(digits[i]);
        if (digit < 0)
            return false;
        result = (result << 4) | static_cast<uint32_t>(digit);
    }
    if (digits[kDwordDigits] != 0)
        return false;
    value = result;
    return true;
}
} // namespace

FixedString256 SettingsStore::PathOfKey(const char* key)
{
    FixedString256 path;
    if (!ConfigFolder(path))
        return FixedString256();
    // The configuration folder already stands for the software branch.
    if (strncasecmp(key, "SOFTWARE\\", 9) == 0)
        key += 9;
    FixedString256 relative(key);
    StringReplaceChar(relative.data(), '\\', '/');
    path.AppendFormat("/%s.settings", relative.c_str());
    // A cut path would name some other file.
    if (path.Length() == FixedString256::kCapacity)
        return FixedString256();
    return path;
}

bool SettingsStore::Open(const char* key)
{
    m_count = 0;
    m_path = PathOfKey(key);
    if (m_path.IsEmpty())
        return false;
    FILE* file = fopen(m_path, "rb");
    if (!file)
        return false;
    char text[kMaxFileBytes + 1];
    const size_t length = fread(text, 1, sizeof(text), file);
    fclose(file);
    if (length > static_cast<size_t>(kMaxFileBytes))
    {
        LogError("Pendrel Settings file %s is too long to be ours\n", m_path.c_str());
        return false;
    }
    text[length] = 0;
    for (char* line = text; line;)
    {
        char* next = strchr(line, '\n');
        if (next)
            *next++ = 0;
        ParseLine(line);
        line = next;
    }
    return true;
}

void SettingsStore::ParseLine(const char* line)
{
    const char* equals = strchr(line, '=');
    if (!equals)
        return;
    const int nameLength = static_cast<int>(equals - line);
    const char* text = equals + 1;
    int textLength = static_cast<int>(strlen(text));
    if (textLength > 0 && text[textLength - 1] == '\r')
        --textLength;
    // A cut name or value would stand for another; such lines are not ours.
    if (nameLength == 0 || nameLength > FixedString64::kCapacity || textLength > FixedString64::kCapacity)
        return;
    FixedString64 name;
    StringCopyN(name.data(), line, nameLength + 1);
    Value* value = Find(name);
    if (!value)
    {
        if (m_count == kMaxValues)
            return;
        value = &m_values[m_count++];
        value->name = name;
    }
    StringCopyN(value->text.data(), text, textLength + 1);
}

SettingsStore::Value* SettingsStore::Find(const char* name)
{
    for (int i = 0; i < m_count; ++i)
        if (strcasecmp(m_values[i].name, name) == 0)
            return &m_values[i];
    return nullptr;
}

const SettingsStore::Value* SettingsStore::Find(const char* name) const
{
    return const_cast<SettingsStore*>(this)->Find(name);
}

bool SettingsStore::ReadDword(const char* name, uint32_t& value) const
{
    const Value* found = Find(name);
    return found && ParseDword(found->text, value);
}

bool SettingsStore::SetDword(const char* name, uint32_t value)
{
    Value* slot = Find(name);
    if (!slot)
    {
        if (m_count == kMaxValues || m_path.IsEmpty())
        {
            LogError("Pendrel Settings could not keep %s\n", name);
            return false;
        }
        slot = &m_values[m_count++];
        slot->name = name;
    }
    slot->text.Format("%s%08x", kDwordPrefix, value);
    return true;
}

bool SettingsStore::Save() const
{
    FixedString256 temporary;
    temporary.Format("%s.new", m_path.c_str());
    if (m_path.IsEmpty() || temporary.Length() != m_path.Length() + 4 || !MakeParentFolders(m_path))
    {
        LogError("Pendrel Settings could not write %s\n", m_path.c_str());
        return false;
    }
    FILE* file = fopen(temporary, "wb");
    bool written = file != nullptr;
    for (int i = 0; written && i < m_count; ++i)
        written = fprintf(file, "%s=%s\n", m_values[i].name.c_str(), m_values[i].text.c_str()) > 0;
    if (file && fclose(file) != 0)
        written = false;
    if (!written || rename(temporary, m_path) != 0)
    {
        remove(temporary);
        LogError("Pendrel Settings could not write %s\n", m_path.c_str());
        return false;
    }
    return true;
}

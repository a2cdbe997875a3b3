#include "core/StringKeeper.h"

#include "core/FileTable.h"
#include "core/Hash.h"
#include "core/LogError.h"
#include "core/StreamBytes.h"
#include "core/Tokenizer.h"
#include "core/pd_ifstream.h"

#include <cstring>
#include <vector>

namespace
{
constexpr int kTokenSize = 256;
// A text is cut after 255 characters, as the tokens are.
constexpr size_t kTextCapacity = kTokenSize - 1;
constexpr size_t kSlotsPerBlock = 256;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr int kByteOrderMarkLength = 3;

// Editors put a byte-order mark before the first identifier; only the mark
// goes, so the identifier written right after it is kept.
int ByteOrderMarkLength(const char* text, int length)
{
    const bool marked =
        length >= kByteOrderMarkLength && memcmp(text, kByteOrderMark, kByteOrderMarkLength) == 0;
    return marked ? kByteOrderMarkLength : 0;
}
} // namespace

bool StringKeeper::Init(int language, const char* folder)
{
    Clear();
    m_language = language;
    FixedString256 pattern;
    pattern.Format("%s/.*[.]csv", folder ? folder : "");
    bool found = false;
    FileTableIterator file;
    for (file.Begin(pattern); file.NotEqual(FileTableEnd()); file.Next())
    {
        found = true;
        LoadFile(file.Name());
    }
    return found;
}

void StringKeeper::LoadFile(const char* name)
{
    pd_ifstream stream(name, kOpenTable, 0, kInReadBinary);
    if (!stream.IsOpen())
    {
        LogError("Open game strings %s failed.\n", name);
        return;
    }
    std::vector<uint8_t> text;
    if (!StreamReadAll(stream, kStringFileBound, text))
        return;
    stream.Close();
    AddFromText(reinterpret_cast<const char*>(text.data()), static_cast<int>(text.size()));
}

void StringKeeper::AddFromText(const char* text, int length)
{
    const int skipped = text ? ByteOrderMarkLength(text, length) : 0;
    TokenReset();
    TokenDefaultSeparators();
    TokenSetText(text ? text + skipped : nullptr, length - skipped);
    char identifier[kTokenSize];
    char value[kTokenSize];
    bool end = false;
    while (TokenNext(&end, identifier, kTokenSize) && !end)
    {
        const bool hasText = TokenNext(&end, value, kTokenSize);
        if (hasText)
            Add(identifier, value);
        if (!hasText || end)
            break;
    }
    // The text is the caller's and goes away: nothing may read it after this.
    TokenStop();
}

void StringKeeper::Add(const char* identifier, const char* text)
{
    char*& slot = m_strings[HashString(identifier)];
    if (!slot)
        slot = NewSlot();
    const size_t length = text ? strnlen(text, kTextCapacity) : 0;
    if (length > 0)
        memcpy(slot, text, length);
    slot[length] = 0;
}

void StringKeeper::Clear()
{
    m_strings.clear();
    m_blocks.clear();
    m_blockUsed = 0;
}

// Every text has room for the longest, so a replaced one is written where
// it was and pointers handed out earlier read the new text.
char* StringKeeper::NewSlot()
{
    if (m_blocks.empty() || m_blockUsed == kSlotsPerBlock)
    {
        // Not value-initialised: a slot is written before it is read.
        m_blocks.emplace_back(new char[kSlotsPerBlock * kTokenSize]);
        m_blockUsed = 0;
    }
    return m_blocks.back().get() + kTokenSize * m_blockUsed++;
}

const char* StringKeeper::GetString(const char* identifier) const
{
    return identifier ? GetStringByHash(HashString(identifier)) : nullptr;
}

const char* StringKeeper::GetStringByHash(uint32_t hash) const
{
    const auto found = m_strings.find(hash);
    return found == m_strings.end() ? nullptr : found->second;
}

StringKeeper& GetStringKeeper()
{
    static StringKeeper keeper;
    return keeper;
}

bool StringKeeperInit(int language, const char* folder)
{
    return GetStringKeeper().Init(language, folder);
}

const char* StringKeeperGetString(const char* identifier)
{
    return GetStringKeeper().GetString(identifier);
}

int StringKeeperGetLang()
{
    return GetStringKeeper().GetLanguage();
}

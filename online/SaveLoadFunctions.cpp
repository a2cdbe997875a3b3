#include "online/SaveLoadFunctions.h"

#include "core/AtomicFile.h"
#include "core/FileTable.h"
#include "core/FixedString.h"
#include "core/LogError.h"
#include "core/pd_ifstream.h"
#include "core/pd_ofstream.h"
#include "online/PlatformServices.h"
#include "online/storefront/SteamInterfaces.h"

#include <cstdio>

namespace
{
bool WriteLocal(const char* name, const char* bytes, int32_t length)
{
    FixedString256 path(FileTableGetRoot());
    path.Append(name);
    if (path.Length() >= FixedString256::kCapacity - 32)
        return false;
    CreateFoldersAlongPath(path);
    return WriteFileAtomically(path, bytes, static_cast<size_t>(length));
}
} // namespace

bool SaveLoadFunctions::WriteToFile(composer& text, const char* name, bool toCloud)
{
    bool written = false;
    if (!name || !*name || !text.Buffer())
        LogError("Pendrel Save: nothing to write to \"%s\"; the old save is kept\n", name ? name : "");
    else if (!toCloud)
    {
        written = WriteLocal(name, text.Buffer(), text.Length());
        if (!written)
        {
            fputs("RemoteStorage: Failed to write file!\n", stdout);
            fflush(stdout);
        }
    }
    else if (PlatformIsUp())
    {
        written = SteamRemoteStorage()->FileWrite(name, text.Buffer(), text.Length());
        if (!written)
            LogError("Pendrel Save: the cloud file \"%s\" could not be written; the old one is kept\n", name);
    }
    text.Free();
    return written;
}

bool SaveLoadFunctions::LoadLocal(const char* name)
{
    pd_ifstream file(name, kOpenRoot, 0, kInReadBinary);
    if (!file.IsOpen())
        return false;
    const uint64_t size = file.Size();
    if (size > static_cast<uint64_t>(composer::kMaxBytes))
    {
        LogError("Pendrel Save: \"%s\" is larger than a save can be\n", name);
        return false;
    }
    m_loadBuffer.reset(new char[size > 0 ? size : 1]);
    const size_t got = file.Read(m_loadBuffer.get(), size);
    m_tokenizer.SetText(m_loadBuffer.get(), static_cast<int>(got));
    return true;
}

bool SaveLoadFunctions::LoadCloud(const char* name)
{
    ISteamRemoteStorage* storage = SteamRemoteStorage();
    if (!PlatformIsUp() || !storage->FileExists(name))
        return false;
    const int32_t size = storage->GetFileSize(name);
    m_loadBuffer.reset(new char[size > 0 ? size : 1]);
    // The file may have changed since its size was asked: only what came counts.
    const int32_t got = storage->FileRead(name, m_loadBuffer.get(), size);
    m_tokenizer.SetText(m_loadBuffer.get(), got);
    return true;
}

int32_t SaveLoadFunctions::SetupFileAndInitParser(const char* name, bool fromCloud)
{
    CleanUpParser();
    if (!name || !*name)
        return kLoadFailed;
    const bool ready = fromCloud ? LoadCloud(name) : LoadLocal(name);
    if (!ready)
        CleanUpParser();
    return ready ? kLoadReady : kLoadFailed;
}

const char* SaveLoadFunctions::GetToken()
{
    m_token[0] = 0;
    bool end = false;
    if (m_tokenizer.IsActive() && !m_tokenizer.NextToken(&end, m_token, kTokenBytes))
        m_token[0] = 0;
    return m_token;
}

void SaveLoadFunctions::CleanUpParser()
{
    m_tokenizer.Reset();
    m_loadBuffer.reset();
}

int32_t SaveLoadFunctions::IsFinishedLoading() const
{
    return PlatformIsUp() ? kLoadReady : kLoadFailed;
}

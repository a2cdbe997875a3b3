#include "game/StreamListener.h"

#include "core/FileTable.h"
#include "cross/ModelCache.h"
#include "game/App.h"
#include "game/AppScriptCalls.h"
#include "game/LocatorStore.h"
#include "game/World.h"
#include "opengl/ShaderProgram.h"
#include "opengl/Texture.h"
#include "script/ScriptHost.h"

#include <string>
#include <vector>

StreamListener::StreamListener(Pump pump) : m_pump(pump) {}

void StreamListener::FileOpened(const char*) {}

void StreamListener::BytesRead(unsigned count)
{
    m_bytesSincePump += count;
    if (m_bytesSincePump <= kLoadingPumpBytes)
        return;
    m_bytesSincePump = 0;
    if (m_pumping || !m_pump)
        return;
    m_pumping = true;
    m_pump();
    m_pumping = false;
}

// Each kind with a reload of its own returns without calling the script,
// also when the entry holds no resource to reload.
void StreamListener::FileChanged(const char* tableName, const FileTableEntry& entry)
{
    void* resource = entry.resource;
    switch (entry.kind)
    {
    case kResourceShader:
        if (resource)
            ShaderReload(static_cast<ShaderProgram*>(resource), tableName);
        return;
    case kResourceLocators:
        // The locator store keeps every file it read and reloads them all, so
        // the entry needs no resource of its own.
        LocatorsReload();
        return;
    case kResourceBufferModel:
        if (resource)
            ModelReload(static_cast<Model*>(resource), tableName);
        return;
    case kResourceTexture:
        if (resource)
            Texture::Reload(static_cast<Texture*>(resource), tableName);
        return;
    case kResourceScript:
        ScriptDoFile(ScriptGetVM(), tableName);
        return;
    case kResourceTerrainCollision:
        if (!GetTileTerrainCollision())
        {
            if (resource)
                TerrainLoad(*static_cast<Terrain*>(resource), tableName);
            return;
        }
        break;
    default:
        break;
    }
    AppCallScriptString("FileChanged", tableName);
}

StreamListener& GetAppStreamListener()
{
    static StreamListener listener(LoadingPump);
    return listener;
}

// The names are gathered before any reload: a reload may add entries to the
// table or run a script that does, which must not disturb the walk.
void Hotload(const char* pattern)
{
    std::vector<std::string> names;
    FileTableIterator it;
    for (it.Begin(pattern); it.NotEqual(FileTableEnd()); it.Next())
        if (it.Entry().refCount > 0)
            names.emplace_back(it.Name());
    for (const std::string& name : names)
        if (const FileTableEntry* entry = FileTableFindEntry(name.c_str()))
            GetAppStreamListener().FileChanged(name.c_str(), *entry);
}

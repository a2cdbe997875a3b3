#include "online/storefront/StorefrontServer.h"

#include "core/LogError.h"

#include <cstdlib>
#include <cstring>

namespace
{
constexpr size_t kMaxUserNameLength = 63;

struct Server
{
    bool open = false;
    RedisConnection connection;
};

Server g_server;

const char* PlatformSetting()
{
    const char* mode = getenv("PENDREL_PLATFORM");
    return mode ? mode : "";
}
} // namespace

bool StorefrontWantsServer()
{
    return strncmp(PlatformSetting(), "redis://", 8) == 0;
}

bool StorefrontServerOpen()
{
    StorefrontServerClose();
    RedisAddress address;
    if (!ParseRedisAddress(PlatformSetting(), address))
    {
        LogError("Pendrel Platform: PENDREL_PLATFORM is not redis://[USER:PASSWORD@]HOST:PORT[/DB]\n");
        return false;
    }
    if (!g_server.connection.Open(address))
    {
        LogError("Pendrel Platform is down: no server at %s:%d\n", address.host.c_str(), address.port);
        return false;
    }
    g_server.open = true;
    return true;
}

void StorefrontServerClose()
{
    g_server.connection.Close();
    g_server.open = false;
}

bool StorefrontOnServer()
{
    return g_server.open;
}

RedisConnection& StorefrontServer()
{
    return g_server.connection;
}

bool StorefrontServerIsDown()
{
    return g_server.open && !g_server.connection.IsUp();
}

std::string StorefrontUserKey(const char* name, const char* part)
{
    return std::string("pendrel:user:") + name + ":" + part;
}

bool IsServerUserName(const char* name)
{
    const size_t length = strlen(name);
    return length > 0 && length <= kMaxUserNameLength &&
           strspn(name, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-.") == length &&
           strcmp(name, ".") != 0 && strcmp(name, "..") != 0;
}

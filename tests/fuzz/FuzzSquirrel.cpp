#include "FuzzSquirrel.h"

#include <cstring>

namespace
{
void PrintNothing(HSQUIRRELVM, const SQChar*, ...) {}
void CompileErrorNowhere(HSQUIRRELVM, const SQChar*, const SQChar*, SQInteger, SQInteger) {}

struct MemoryImage
{
    const uint8_t* bytes;
    size_t size;
    size_t position;
};

SQInteger ReadImage(SQUserPointer user, SQUserPointer buffer, SQInteger count)
{
    MemoryImage* image = static_cast<MemoryImage*>(user);
    if (count < 0 || size_t(count) > image->size - image->position)
        return -1;
    memcpy(buffer, image->bytes + image->position, size_t(count));
    image->position += size_t(count);
    return count;
}

SQInteger WriteImage(SQUserPointer user, SQUserPointer bytes, SQInteger count)
{
    std::vector<uint8_t>* image = static_cast<std::vector<uint8_t>*>(user);
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    image->insert(image->end(), p, p + count);
    return count;
}
} // namespace

HSQUIRRELVM FuzzOpenVm()
{
    HSQUIRRELVM v = sq_open(1024);
    sq_setprintfunc(v, PrintNothing, PrintNothing);
    sq_setcompilererrorhandler(v, CompileErrorNowhere);
    return v;
}

HSQUIRRELVM FuzzSharedVm()
{
    static const HSQUIRRELVM v = FuzzOpenVm();
    static int uses = 0;
    sq_settop(v, 0);
    sq_newtable(v);
    sq_setroottable(v);
    if (++uses % 256 == 0)
        sq_collectgarbage(v); // cycles an input built are not freed by counting
    return v;
}

bool FuzzWriteClosure(HSQUIRRELVM v, std::vector<uint8_t>& image)
{
    image.clear();
    return SQ_SUCCEEDED(sq_writeclosure(v, WriteImage, &image));
}

bool FuzzReadClosure(HSQUIRRELVM v, const uint8_t* bytes, size_t size)
{
    MemoryImage image{bytes, size, 0};
    return SQ_SUCCEEDED(sq_readclosure(v, ReadImage, &image));
}

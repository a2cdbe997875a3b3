#pragma once
// Told of every file a stream opens, every read (before it happens), and every
// watched file that changed on disk.

struct FileTableEntry;

class pd_streamlistener
{
public:
    virtual ~pd_streamlistener() = default;
    virtual void FileOpened(const char* name) = 0;
    virtual void BytesRead(unsigned count) = 0;
    virtual void FileChanged(const char* tableName, const FileTableEntry& entry) = 0;
};

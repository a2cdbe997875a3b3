#pragma once
// The one listener of every file stream and of the directory watch: it keeps
// the loading screen moving while files are read, and reloads a changed
// file's resource in place by the kind the file table recorded, or hands the
// change to the game script's FileChanged.

#include "core/pd_streamlistener.h"

#include <cstdint>

constexpr uint32_t kLoadingPumpBytes = 10000;

class StreamListener : public pd_streamlistener
{
public:
    using Pump = void (*)();

    explicit StreamListener(Pump pump);

    void FileOpened(const char* name) override;
    // Pumps once the bytes since the last pump pass kLoadingPumpBytes.
    void BytesRead(unsigned count) override;
    void FileChanged(const char* tableName, const FileTableEntry& entry) override;

    uint32_t BytesSincePump() const { return m_bytesSincePump; }

private:
    Pump m_pump;
    uint32_t m_bytesSincePump = 0;
    // The pump draws, and drawing may read files: those reads do not pump again.
    bool m_pumping = false;
};

// The application's listener, pumping the loading screen.
StreamListener& GetAppStreamListener();

// Reloads every loaded file whose table name the regular expression matches
// (null: every name).
void Hotload(const char* pattern);

#pragma once
// A data tree in a temporary folder, mounted as the game mounts "../", with a
// listener that records what the streams and the watch tell it and a
// collector for error reports.

#include "core/FileTable.h"
#include "core/LogError.h"
#include "core/pd_ifstream.h"
#include "core/pd_streamlistener.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"
#include "tools/formats/ArchiveWriter.h"
#include "tools/formats/EncipheredFileWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

class RecordingListener : public pd_streamlistener
{
public:
    void FileOpened(const char* name) override { opened.push_back(name); }
    void BytesRead(unsigned count) override { reads.push_back(count); }
    void FileChanged(const char* tableName, const FileTableEntry& entry) override
    {
        changed.emplace_back(tableName, entry.path.c_str());
    }

    std::vector<std::string> opened;
    std::vector<unsigned> reads;
    std::vector<std::pair<std::string, std::string>> changed; // table name, path
};

struct ArchiveMember
{
    std::string name;
    std::string bytes;
    ArchiveWriter::Method method = ArchiveWriter::kDeflated;
};

class DataTreeTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        SetStreamListener(nullptr);
        FileWatchInit("");
        FileTableRebuild("no such folder");
    }

    void Mount() { FileTableMountDataTree(dir.Root().c_str()); }

    void WriteArchive(const std::string& relative, const std::vector<ArchiveMember>& members)
    {
        ASSERT_TRUE(dir.MakeFolder(relative.substr(0, relative.rfind('/'))));
        ArchiveWriter writer;
        ASSERT_TRUE(writer.Open(dir.PathOf(relative).c_str()));
        for (const ArchiveMember& member : members)
            ASSERT_TRUE(writer.AddMember(member.name.c_str(), member.bytes, member.method));
        ASSERT_TRUE(writer.Close());
    }

    void WriteEnciphered(const std::string& tableName, const std::string& bytes)
    {
        std::string why;
        ASSERT_TRUE(WriteEncipheredFile(dir.PathOf("encrypteddata").c_str(), tableName.c_str(), bytes.data(),
                                        bytes.size(), why))
            << why;
    }

    // Everything a stream yields, or "<closed>" when it does not open.
    static std::string ReadAll(const char* name, int mode = kOpenTable)
    {
        pd_ifstream stream(name, mode, 0, kInReadBinary);
        if (!stream.IsOpen())
            return "<closed>";
        std::string content(stream.Size(), '\0');
        content.resize(stream.Read(&content[0], content.size()));
        return content;
    }

    bool ErrorsMention(const std::string& part) const { return m_log.Contains(part.c_str()); }

    TempDir dir;
    RecordingListener listener;
    LogCapture m_log;
};

#include "squirrel/stdlib/SqFileStream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

TEST(StdFileStream, WritesReadsSeeksAndMeasuresAFile)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("sqstd_file_" + std::to_string(getpid()) + ".bin");
    {
        SqFileStream* file = SqFileStream::Open(path.c_str(), "wb+");
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(SqStreamWriteNumber(*file, 'i', SqStreamNumber{false, 0x01020304, 0}), SqStreamResult::Ok);
        EXPECT_EQ(SqStreamWriteNumber(*file, 'f', SqStreamNumber{true, 0, 0.25f}), SqStreamResult::Ok);
        EXPECT_EQ(file->Len(), 8);
        EXPECT_EQ(file->Tell(), 8);
        EXPECT_TRUE(file->Seek(-4, SqSeekOrigin::End));
        SqStreamNumber number;
        ASSERT_EQ(SqStreamReadNumber(*file, 'f', &number), SqStreamResult::Ok);
        EXPECT_EQ(number.real, 0.25f);
        EXPECT_EQ(SqStreamReadNumber(*file, 'b', &number), SqStreamResult::IoError);
        EXPECT_TRUE(file->Eos());
        file->Close();
        EXPECT_FALSE(file->IsValid());
        delete file;
    }
    std::vector<char> bytes;
    ASSERT_TRUE(SqReadWholeFile(path.c_str(), &bytes));
    EXPECT_EQ(bytes.size(), 8u);
    std::filesystem::remove(path);
    EXPECT_EQ(SqFileStream::Open(path.c_str(), "rb"), nullptr);
}

TEST(StdFileStream, ScriptsAreTextUnlessTaggedAsBytecode)
{
    const auto bytes = [](const char* text, size_t n) { return std::vector<char>(text, text + n); };
    EXPECT_EQ(SqClassifyScript(bytes("\xFA\xFA\x01", 3)), SqScriptKind::Bytecode);
    EXPECT_EQ(SqClassifyScript(bytes("print(1)", 8)), SqScriptKind::Source);
    EXPECT_EQ(SqClassifyScript(bytes("\xFA", 1)), SqScriptKind::Source);
    EXPECT_EQ(SqScriptText(bytes("\xEF\xBB\xBFx=1", 6)), "x=1");
    EXPECT_EQ(SqScriptText(bytes("\xFF\xFEx\0=\0\xE9\0", 8)), "x=\xC3\xA9");
    EXPECT_EQ(SqScriptText(bytes("\xFE\xFF\0y\0=", 6)), "y=");
}

// Whole-file reads under a size bound: a file within it is read whole, a
// larger one is refused with one report before a byte is read, whatever
// its size, wherever it lies.

#include "core/StreamBytes.h"

#include "support/DataTreeFixture.h"

namespace
{
constexpr uint64_t kFourGiB = 1ull << 32;

class StreamBytesTest : public DataTreeTest
{
protected:
    void SetUp() override
    {
        DataTreeTest::SetUp();
        for (int i = 0; i < 64; ++i)
            m_counting.push_back(static_cast<char>(i));
        WriteArchive("data/pack.darnix", {{"packed.bin", m_counting}});
        WriteEnciphered("sec/cipher.bin", m_counting);
        SetStreamListener(&listener);
    }

    std::string m_counting;
};

struct ReadAllCase
{
    const char* name;
    uint64_t size; // the counting bytes, then zeros, up to this size
    uint64_t bound;
    const char* report; // empty when the file is read whole
};

const ReadAllCase kCases[] = {
    {"small.bin", 40, 64, ""},
    {"exact.bin", 64, 64, ""},
    {"empty.bin", 0, 64, ""},
    {"over.bin", 65, 64, "Pendrel File over.bin is 65 bytes, more than any test file (64); it is not read.\n"},
    // A 32-bit size would make this a file of 16 bytes, well within the bound.
    {"wrapped.bin", kFourGiB + 16, 1 << 20,
     "Pendrel File wrapped.bin is 4294967312 bytes, more than any test file (1048576); it is not read.\n"},
    {"huge.bin", 3 * kFourGiB, 256ull << 20,
     "Pendrel File huge.bin is 12884901888 bytes, more than any test file (268435456); it is not read.\n"},
};
} // namespace

TEST_F(StreamBytesTest, ReadsWithinTheBoundAndRefusesPastItBeforeReading)
{
    for (const ReadAllCase& c : kCases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(dir.WriteFile(std::string("data/") + c.name, m_counting.substr(0, size_t(c.size))));
        ASSERT_TRUE(dir.Resize(std::string("data/") + c.name, c.size));
    }
    Mount();
    for (const ReadAllCase& c : kCases)
    {
        SCOPED_TRACE(c.name);
        LogCapture log;
        listener.reads.clear();
        pd_ifstream stream(c.name, kOpenTable, 0, kInReadBinary);
        std::vector<uint8_t> bytes{1, 2, 3};
        const bool read = StreamReadAll(stream, {"test file", c.bound}, bytes);
        EXPECT_EQ(log.Text(), c.report);
        if (*c.report)
        {
            EXPECT_FALSE(read);
            EXPECT_TRUE(bytes.empty());
            EXPECT_TRUE(listener.reads.empty()) << "nothing is read of a refused file";
            continue;
        }
        ASSERT_TRUE(read);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), m_counting.substr(0, size_t(c.size)));
    }
}

TEST_F(StreamBytesTest, ArchiveMembersAndEncipheredFilesKeepTheBoundToo)
{
    Mount();
    for (const char* name : {"packed.bin", "sec/cipher.bin"})
    {
        SCOPED_TRACE(name);
        std::vector<uint8_t> bytes;
        pd_ifstream whole(name, kOpenTable, 0, kInReadBinary);
        ASSERT_TRUE(StreamReadAll(whole, {"test file", 64}, bytes));
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), m_counting);

        LogCapture log;
        pd_ifstream over(name, kOpenTable, 0, kInReadBinary);
        EXPECT_FALSE(StreamReadAll(over, {"test file", 63}, bytes));
        EXPECT_EQ(log.Text(),
                  std::string("Pendrel File ") + name + " is 64 bytes, more than any test file (63); it is not read.\n");
    }
}

TEST_F(StreamBytesTest, AStreamThatDidNotOpenIsLeftToTheReaderToReport)
{
    Mount();
    LogCapture log;
    pd_ifstream stream("missing.bin", kOpenTable, 0, kInReadBinary);
    std::vector<uint8_t> bytes{1};
    EXPECT_FALSE(StreamReadAll(stream, {"test file", 64}, bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(log.Empty()) << log.Text();
}

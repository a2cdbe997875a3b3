#include "support/DataTreeFixture.h"

#include "core/pd_ofstream.h"

#include <cstring>

namespace
{
void PutU32(std::string& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Offsets of a member's local and central headers in zip bytes.
size_t FindHeader(const std::string& zip, const char* signature, size_t nameLengthAt, size_t nameAt,
                  const std::string& name)
{
    for (size_t at = zip.find(signature); at != std::string::npos; at = zip.find(signature, at + 1))
    {
        const size_t length = static_cast<uint8_t>(zip[at + nameLengthAt]) |
                              (static_cast<uint8_t>(zip[at + nameLengthAt + 1]) << 8);
        if (length == name.size() && zip.compare(at + nameAt, length, name) == 0)
            return at;
    }
    return std::string::npos;
}

class pd_ifstreamTest : public DataTreeTest
{
protected:
    void SetUp() override
    {
        DataTreeTest::SetUp();
        for (int i = 0; i < 64; ++i)
            m_counting.push_back(static_cast<char>(i));
        ASSERT_TRUE(dir.WriteFile("data/numbers.bin", m_counting));
        WriteArchive("data/pack.darnix", {{"packed.bin", m_counting},
                                          {"Readme.txt", "exact case"},
                                          {"README.TXT", "upper case"},
                                          {"stored.txt", "stored bytes", ArchiveWriter::kStored},
                                          {"deflated.txt", std::string(4000, 'z') + "tail"}});
        WriteEnciphered("sec/cipher.bin", m_counting);
        WriteEnciphered(std::string(60, 'k'), "sixty");
        ASSERT_TRUE(dir.WriteFile("encrypteddata/" + std::string(61, 'k'), "sixty-one"));
        SetStreamListener(&listener);
        Mount();
    }

    // Rewrites the archive's bytes through `patch` after mounting, as damage on disk would.
    template <typename Patch> void DamageArchive(Patch patch)
    {
        std::string zip = dir.ReadFile("data/pack.darnix");
        patch(zip);
        ASSERT_TRUE(dir.WriteFile("data/pack.darnix", zip));
    }

    std::string m_counting;
};

TEST_F(pd_ifstreamTest, OpensByEachMode)
{
    const std::string absolute = dir.PathOf("data/numbers.bin");
    EXPECT_EQ(ReadAll(absolute.c_str(), kOpenPath), m_counting);
    EXPECT_EQ(ReadAll("data/numbers.bin", kOpenRoot), m_counting);
    EXPECT_EQ(ReadAll("data/numbers.bin", kOpenRootToo), m_counting);
    EXPECT_EQ(ReadAll("numbers.bin", kOpenTable), m_counting);
    EXPECT_EQ(ReadAll("numbers.bin", 4), "<closed>");
    EXPECT_EQ(ReadAll("data/numbers.bin", kOpenPath), "<closed>"); // relative to the working folder
    EXPECT_EQ(ReadAll("numbers.bin", kOpenRoot), "<closed>");
    EXPECT_EQ(ReadAll("data/numbers.bin", kOpenTable), "<closed>");

    EXPECT_TRUE(FileExists("numbers.bin", kOpenTable));
    EXPECT_TRUE(FileExists("packed.bin", kOpenTable));
    EXPECT_FALSE(FileExists("data", kOpenRoot)); // a folder is not a file
    EXPECT_FALSE(pd_ifstream("data/numbers.bin", kOpenRoot, 0, 0).IsOpen());
}

TEST_F(pd_ifstreamTest, ANameLongerThanItsRecordIsRefusedNotCut)
{
    // A file whose path is exactly what the longer name would be cut to.
    const std::string base = dir.PathOf("");
    const std::string cut = std::string(255 - base.size(), 'n');
    ASSERT_TRUE(dir.WriteFile(cut, "the wrong file"));
    ASSERT_EQ(ReadAll((base + cut).c_str(), kOpenPath), "the wrong file");
    for (const std::string& longer : {base + cut + "-and-more", base + cut + std::string(300, 'm')})
    {
        m_log.Clear();
        EXPECT_EQ(ReadAll(longer.c_str(), kOpenPath), "<closed>");
        EXPECT_TRUE(ErrorsMention("name too long")) << m_log.Text();
    }
}

TEST_F(pd_ifstreamTest, TellsTheListenerOfOpensAndOfEachReadBeforehand)
{
    listener.opened.clear();
    {
        pd_ifstream absent("not/in/table", kOpenTable, 0, kInReadBinary);
        EXPECT_FALSE(absent.IsOpen());
    }
    EXPECT_TRUE(listener.opened.empty());

    pd_ifstream stream("packed.bin", kOpenTable, 0, kInReadBinary);
    ASSERT_TRUE(stream.IsOpen());
    EXPECT_EQ(listener.opened, std::vector<std::string>{"packed.bin"});
    listener.reads.clear();
    char buffer[100];
    EXPECT_EQ(stream.Read(buffer, 100), 64u);
    EXPECT_EQ(stream.ReadRaw(buffer, 10), 0u);
    uint32_t value;
    stream.SeekSet(0);
    stream.ReadU32(value);
    EXPECT_EQ(listener.reads, (std::vector<unsigned>{100, 4}));
    EXPECT_STREQ(stream.Extension(), "BIN");
}

TEST_F(pd_ifstreamTest, TypedReadsReverseBytesWithSwap)
{
    for (const char* name : {"numbers.bin", "packed.bin"})
    {
        pd_ifstream plain(name, kOpenTable, 0, kInReadBinary);
        pd_ifstream swapped(name, kOpenTable, 1, kInReadBinary);
        pd_ifstream two(name, kOpenTable, 2, kInReadBinary); // anything but 1 means no swap
        uint16_t u16 = 0;
        uint32_t u32 = 0;
        uint64_t u64 = 0;
        ASSERT_TRUE(plain.ReadU16(u16) && plain.ReadU32(u32) && plain.ReadU64(u64)) << name;
        EXPECT_EQ(u16, 0x0100);
        EXPECT_EQ(u32, 0x05040302u);
        EXPECT_EQ(u64, 0x0D0C0B0A09080706ull);
        ASSERT_TRUE(swapped.ReadU16(u16) && swapped.ReadU32(u32) && swapped.ReadU64(u64)) << name;
        EXPECT_EQ(u16, 0x0001);
        EXPECT_EQ(u32, 0x02030405u);
        EXPECT_EQ(u64, 0x060708090A0B0C0Dull);
        ASSERT_TRUE(two.ReadU16(u16));
        EXPECT_EQ(u16, 0x0100);
        EXPECT_FALSE(two.SwapBytes());
    }
}

TEST_F(pd_ifstreamTest, ReadFormattedReversesWideFieldsOnly)
{
    pd_ifstream stream("packed.bin", kOpenTable, 1, kInReadBinary);
    uint8_t records[3 * 7];
    EXPECT_EQ(stream.ReadFormatted(records, "bsf", 3), 3);
    const uint8_t expected[] = {0, 2, 1, 6, 5, 4, 3, 7, 9, 8, 13, 12, 11, 10, 14, 16, 15, 20, 19, 18, 17};
    EXPECT_EQ(memcmp(records, expected, sizeof expected), 0);

    stream.SetSwapBytes(0);
    uint8_t plain[7];
    EXPECT_EQ(stream.ReadFormatted(plain, "bs?f", 1), 1); // unknown letters are fields of no bytes
    EXPECT_EQ(plain[0], 21);
    EXPECT_EQ(plain[6], 27);

    // Only whole records count.
    stream.SeekSet(60);
    EXPECT_EQ(stream.ReadFormatted(records, "bsf", 2), 0);
}

TEST_F(pd_ifstreamTest, ReadsU16ArraysWithAndWithoutSwap)
{
    pd_ifstream stream("numbers.bin", kOpenTable, 1, kInReadBinary);
    uint16_t values[3];
    EXPECT_EQ(stream.ReadU16Array(values, 3), 3);
    EXPECT_EQ(values[0], 0x0001);
    EXPECT_EQ(values[2], 0x0405);
    stream.SetSwapBytes(0);
    EXPECT_EQ(stream.ReadU16Array(values, 1), 1);
    EXPECT_EQ(values[0], 0x0706);
    stream.SeekSet(63);
    EXPECT_EQ(stream.ReadU16Array(values, 2), 0);
}

TEST_F(pd_ifstreamTest, SeeksClampToTheDataAndSizeRewinds)
{
    for (const char* name : {"numbers.bin", "packed.bin", "sec/cipher.bin"})
    {
        pd_ifstream stream(name, kOpenTable, 0, kInReadBinary);
        ASSERT_TRUE(stream.IsOpen()) << name;
        EXPECT_TRUE(stream.SeekSet(10));
        EXPECT_TRUE(stream.Skip(5));
        EXPECT_EQ(stream.Tell(), 15u);
        uint8_t byte = 0;
        EXPECT_TRUE(stream.ReadU8(byte));
        EXPECT_EQ(byte, 15) << name;
        EXPECT_EQ(stream.Size(), 64u);
        EXPECT_EQ(stream.Tell(), 0u);
        EXPECT_FALSE(stream.Skip(1000));
        EXPECT_EQ(stream.Tell(), 64u) << name;
        EXPECT_FALSE(stream.Skip(-1000));
        EXPECT_EQ(stream.Tell(), 0u);
        EXPECT_TRUE(stream.Seek(0, kSeekEnd));
        EXPECT_EQ(stream.Tell(), 64u);
        EXPECT_FALSE(stream.ReadU8(byte));
        EXPECT_EQ(byte, 0xFF) << name; // the end marker, not deciphered
        uint32_t value = 7;
        EXPECT_FALSE(stream.ReadU32(value));
        EXPECT_EQ(value, 0u);
        EXPECT_FALSE(stream.Seek(0, 3));
    }
}

// A file past 4 GiB must not pass for the few bytes past the last 4 GiB.
TEST_F(pd_ifstreamTest, SizesAndPositionsPastFourGiBAreWhole)
{
    const uint64_t kFourGiB = 1ull << 32;
    for (const uint64_t size : {kFourGiB, kFourGiB + 64, 5 * kFourGiB / 2})
    {
        ASSERT_TRUE(dir.WriteFile("data/numbers.bin", m_counting));
        ASSERT_TRUE(dir.Resize("data/numbers.bin", size));
        pd_ifstream stream("numbers.bin", kOpenTable, 0, kInReadBinary);
        ASSERT_TRUE(stream.IsOpen());
        EXPECT_EQ(stream.Size(), size);
        EXPECT_EQ(stream.Tell(), 0u);
        EXPECT_TRUE(stream.Seek(0, kSeekEnd));
        EXPECT_EQ(stream.Tell(), size);
        // A move from a position past 4 GiB starts from the whole position.
        EXPECT_TRUE(stream.Seek(-1, kSeekCurrent));
        EXPECT_EQ(stream.Tell(), size - 1);
        uint8_t byte = 0xAA;
        EXPECT_TRUE(stream.ReadU8(byte));
        EXPECT_EQ(byte, 0);
        EXPECT_FALSE(stream.ReadU8(byte));
        EXPECT_TRUE(stream.SeekSet(5));
        EXPECT_TRUE(stream.ReadU8(byte));
        EXPECT_EQ(byte, 5);
    }
}

TEST_F(pd_ifstreamTest, DeciphersInAnyOrderOfPieces)
{
    pd_ifstream stream("sec/cipher.bin", kOpenTable, 0, kInReadBinary);
    ASSERT_TRUE(stream.IsOpen());
    EXPECT_TRUE(stream.IsEnciphered());
    char whole[64];
    ASSERT_EQ(stream.Read(whole, 64), 64u);
    EXPECT_EQ(std::string(whole, 64), m_counting);

    char pieces[64];
    stream.SeekSet(40);
    ASSERT_EQ(stream.Read(pieces + 40, 24), 24u);
    stream.SeekSet(0);
    ASSERT_EQ(stream.Read(pieces, 13), 13u);
    for (int i = 13; i < 40; ++i)
    {
        uint8_t byte;
        ASSERT_TRUE(stream.ReadU8(byte));
        pieces[i] = static_cast<char>(byte);
    }
    EXPECT_EQ(std::string(pieces, 64), m_counting);

    // The bytes on disk really are enciphered.
    EXPECT_NE(dir.ReadFile("encrypteddata/sec/cipher.bin"), m_counting);
}

TEST_F(pd_ifstreamTest, KeyNamesLongerThanTheBaseKeysFailTheOpen)
{
    EXPECT_EQ(ReadAll(std::string(60, 'k').c_str()), "sixty");
    m_log.Clear();
    EXPECT_EQ(ReadAll(std::string(61, 'k').c_str()), "<closed>");
    ASSERT_EQ(m_log.Lines().size(), 1u);
    EXPECT_EQ(m_log.Lines()[0], "Error: Encryption Key Too Big: " + std::string(61, 'k') + " \n");

    std::string why;
    EXPECT_FALSE(EncipheredNameUsable(std::string(61, 'k').c_str(), why));
    EXPECT_FALSE(EncipheredNameUsable("", why));
    EXPECT_FALSE(EncipheredNameUsable("a\\b", why));
}

TEST_F(pd_ifstreamTest, PrefersTheExactCaseMember)
{
    EXPECT_EQ(ReadAll("Readme.txt"), "exact case");
    EXPECT_EQ(ReadAll("README.TXT"), "upper case");
    // Without the remembered places, the lookup by name must still take the exact case first.
    for (const char* name : {"Readme.txt", "README.TXT"})
        FileTableFindEntry(name)->memberPlaceKnown = 0;
    EXPECT_EQ(ReadAll("Readme.txt"), "exact case");
    EXPECT_EQ(ReadAll("README.TXT"), "upper case");
}

TEST_F(pd_ifstreamTest, FindsMembersOfAnArchiveRewrittenInAnotherOrder)
{
    EXPECT_EQ(ReadAll("stored.txt"), "stored bytes"); // the archive stays open after this
    WriteArchive("data/pack.darnix", {{"deflated.txt", "new deflated"}, {"stored.txt", "new stored"}});
    EXPECT_EQ(ReadAll("stored.txt"), "new stored");
    EXPECT_EQ(ReadAll("deflated.txt"), "new deflated");
    m_log.Clear();
    EXPECT_EQ(ReadAll("packed.bin"), "<closed>");
    EXPECT_TRUE(ErrorsMention("missing"));
}

TEST_F(pd_ifstreamTest, DamagedMembersFailTheOpenWithAReport)
{
    const struct
    {
        const char* what;
        const char* member;
        const char* report;
        void (*patch)(std::string& zip);
    } cases[] = {
        {"flipped stored byte", "stored.txt", "checksum",
         [](std::string& zip)
         {
             const size_t at = zip.find("stored bytes");
             zip[at] ^= 1;
         }},
        {"size beyond the data", "deflated.txt", "read",
         [](std::string& zip)
         {
             // Both headers agree on a size that the deflated bytes do not reach.
             const size_t local = FindHeader(zip, "PK\x03\x04", 26, 30, "deflated.txt");
             const size_t central = FindHeader(zip, "PK\x01\x02", 28, 46, "deflated.txt");
             PutU32(zip, local + 22, 4010);
             PutU32(zip, central + 24, 4010);
         }},
        {"absurd declared size", "deflated.txt", "impossible size",
         [](std::string& zip)
         {
             const size_t central = FindHeader(zip, "PK\x01\x02", 28, 46, "deflated.txt");
             PutU32(zip, central + 24, 0xFFFFFFF0u);
         }},
        {"garbage deflate stream", "deflated.txt", "deflated.txt",
         [](std::string& zip)
         {
             const size_t local = FindHeader(zip, "PK\x03\x04", 26, 30, "deflated.txt");
             const size_t data = local + 30 + strlen("deflated.txt");
             for (size_t i = 0; i < 8; ++i)
                 zip[data + i] = static_cast<char>(0xFF);
         }},
    };
    for (const auto& c : cases)
    {
        WriteArchive("data/pack.darnix", {{"packed.bin", m_counting},
                                          {"stored.txt", "stored bytes", ArchiveWriter::kStored},
                                          {"deflated.txt", std::string(4000, 'z') + "tail"}});
        FileTableRebuild("data");
        DamageArchive(c.patch);
        m_log.Clear();
        pd_ifstream stream(c.member, kOpenTable, 0, kInReadBinary);
        EXPECT_FALSE(stream.IsOpen()) << c.what;
        EXPECT_TRUE(ErrorsMention(c.report)) << c.what << ": " << (m_log.Empty() ? "" : m_log.Lines()[0]);
        EXPECT_EQ(ReadAll("packed.bin"), m_counting) << c.what; // the rest of the archive still reads
    }
}

TEST_F(pd_ifstreamTest, AnArchiveCutShortFailsItsOpensWithAReport)
{
    DamageArchive([](std::string& zip) { zip.resize(zip.size() / 2); });
    m_log.Clear();
    EXPECT_EQ(ReadAll("stored.txt"), "<closed>");
    EXPECT_TRUE(ErrorsMention("does not open"));
}

TEST_F(pd_ifstreamTest, OutputStreamCreatesFoldersAndWritesLinesReversed)
{
    {
        pd_ofstream out("made/inner/log.txt", 0, kOutWrite);
        ASSERT_TRUE(out.IsOpen());
        out.WriteLinesReversed("ab\ncd\nef\n");
    }
    EXPECT_EQ(dir.ReadFile("made/inner/log.txt"), "ef\ncd\nab\n");
    {
        pd_ofstream out("made/short.txt", 0, kOutWrite | kOutBinary);
        out.WriteLinesReversed("a\n");
    }
    EXPECT_EQ(dir.ReadFile("made/short.txt"), "a\n");
    {
        pd_ofstream out("made/swapped.bin", 1, kOutWrite | kOutBinary);
        out.WriteU16(0x0102);
        out.WriteU32(0x03040506u);
        out.WriteU8(7);
    }
    EXPECT_EQ(dir.ReadFile("made/swapped.bin"), std::string("\x01\x02\x03\x04\x05\x06\x07", 7));
}
} // namespace

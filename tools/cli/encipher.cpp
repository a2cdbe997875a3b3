// encipher <input file> <enciphered tree folder> <table name>
// Writes the input, enciphered, to <tree>/<table name>, where the engine's
// file table will find it under <table name> and decipher it as it reads.

#include "tools/formats/EncipheredFileWriter.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        fprintf(stderr, "usage: %s <input file> <enciphered tree folder> <table name>\n", argv[0]);
        return 2;
    }
    std::string why;
    if (!EncipheredNameUsable(argv[3], why))
    {
        fprintf(stderr, "encipher: %s: %s\n", argv[3], why.c_str());
        return 1;
    }
    FILE* input = fopen(argv[1], "rb");
    if (!input)
    {
        fprintf(stderr, "encipher: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<unsigned char> bytes;
    unsigned char buffer[65536];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, input)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + count);
    const bool failed = ferror(input) != 0;
    fclose(input);
    if (failed)
    {
        fprintf(stderr, "encipher: reading %s failed\n", argv[1]);
        return 1;
    }
    if (!WriteEncipheredFile(argv[2], argv[3], bytes.data(), bytes.size(), why))
    {
        fprintf(stderr, "encipher: %s\n", why.c_str());
        return 1;
    }
    return 0;
}

#pragma once
// Small file helpers of the local storefront: folders made along a path,
// short text files read whole and written atomically (write, then rename),
// and text files of TAB-separated fields read line by line.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

bool StorefrontMakeFolders(const char* path);
bool StorefrontReadText(const char* path, char* text, int size);
bool StorefrontWriteTextAtomically(const char* path, const char* text);
bool StringIsDots(const char* name);

// The TAB-separated fields of one line.
std::vector<std::string> StorefrontSplitFields(const std::string& line);
// Hands the fields of each line of the text to the reader.
void StorefrontParseFieldLines(const std::string& text,
                               const std::function<void(const std::vector<std::string>&)>& reader);
// Hands the fields of each line of a text file of at most maxBytes to the
// reader; false when the file cannot be read whole.
bool StorefrontReadFieldLines(const char* path, size_t maxBytes,
                              const std::function<void(const std::vector<std::string>&)>& reader);

#pragma once
// Small file helpers of the local storefront: folders made along a path,
// short text files read whole and written atomically (write, then rename).

bool StorefrontMakeFolders(const char* path);
bool StorefrontReadText(const char* path, char* text, int size);
bool StorefrontWriteTextAtomically(const char* path, const char* text);
bool StringIsDots(const char* name);

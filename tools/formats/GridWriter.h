#pragma once
// Writes grid files for the grid path finder: the four header values, then
// the cells row by row, each row ending in ",\n" (so line ends fall inside
// the comma-separated tokens, as the level tools left them). Cells are
// numbers or names as given.

#include <string>
#include <vector>

struct GridFileSpec
{
    int rows = 0;
    int columns = 0;
    float cellHeight = 1.0f;
    float cellWidth = 1.0f;
    std::vector<std::string> cells; // row by row, columns varying fastest
    std::string lineEnd = "\n";
};

// A grid drawn as text, one string a row of one character a cell; each
// character is replaced by its token in `tokens` (pairs of character, token).
GridFileSpec GridFromPicture(const std::vector<std::string>& picture,
                             const std::vector<std::pair<char, std::string>>& tokens);

std::string GridWrite(const GridFileSpec& spec);

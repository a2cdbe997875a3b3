#include "tools/formats/GridWriter.h"

#include <cstdio>

GridFileSpec GridFromPicture(const std::vector<std::string>& picture,
                             const std::vector<std::pair<char, std::string>>& tokens)
{
    GridFileSpec spec;
    spec.rows = int(picture.size());
    spec.columns = picture.empty() ? 0 : int(picture[0].size());
    for (const std::string& row : picture)
        for (const char c : row)
        {
            std::string token(1, c);
            for (const auto& pair : tokens)
                if (pair.first == c)
                    token = pair.second;
            spec.cells.push_back(token);
        }
    return spec;
}

std::string GridWrite(const GridFileSpec& spec)
{
    char header[128];
    snprintf(header, sizeof header, "%d,%d,%g,%g,", spec.rows, spec.columns, double(spec.cellHeight),
             double(spec.cellWidth));
    std::string text = std::string(header) + spec.lineEnd;
    for (size_t i = 0; i < spec.cells.size(); ++i)
    {
        text += spec.cells[i] + ",";
        if (spec.columns > 0 && (i + 1) % size_t(spec.columns) == 0)
            text += spec.lineEnd;
    }
    return text;
}

local text = ""
for i = 0, 200 - 1 do text = text .. "alpha" .. i .. " beta, gamma" .. (i * 7) .. "; " end
local found = 0
for round = 1, 200 do
    local at = 1
    while true do
        local s, e = string.find(text, "[a-z]+[0-9]+", at)
        if not s then break end
        found = found + 1
        at = e + 1
    end
end
return found

local Mover = {}
Mover.__index = Mover
function Mover.new(speed) return setmetatable({x = 0.0, v = speed}, Mover) end
function Mover:step(dt) self.x = self.x + self.v * dt end
local movers = {}
for i = 0, 3999 do movers[#movers + 1] = Mover.new(i * 0.001) end
for frame = 0, 999 do
    for _, m in ipairs(movers) do m:step(0.016) end
end
return movers[4000].x

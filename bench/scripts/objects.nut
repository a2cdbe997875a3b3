class Mover {
    x = 0.0;
    v = 1.0;
    constructor(speed) { v = speed; }
    function step(dt) { x += v * dt; }
}
local movers = [];
for (local i = 0; i < 4000; i++) movers.append(Mover(i * 0.001));
for (local frame = 0; frame < 1000; frame++) {
    foreach (m in movers) m.step(0.016);
}
return movers[3999].x;

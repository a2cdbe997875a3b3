local total = 0;
for (local i = 0; i < 100000; i++) {
    local name = "unit" + i + ":" + (i * 0.25);
    local line = format("%s=%d (%.2f)", name, i, i * 0.5);
    local head = line.slice(0, 6);
    local tail = line.slice(-4);
    total += name.len() + head.len() + tail.len() + i.tostring().len() + (i * 0.5).tostring().len();
}
return total;

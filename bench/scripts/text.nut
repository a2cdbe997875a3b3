local total = 0;
for (local i = 0; i < 100000; i++) {
    local line = format("%d:%s:%.2f", i, "name", i * 0.5);
    local head = line.slice(0, 3);
    total += line.len() + head.len() + i.tostring().len();
}
return total;

// The math library: integer and float results, the constants and the seeded generator.
print(abs(-5) + " " + abs(7) + " " + abs(-2.7) + "\n");
print(fabs(-2.5) + " " + sqrt(16) + " " + floor(2.7) + " " + ceil(2.1) + " " + floor(-2.5) + "\n");
print(pow(2, 10) + " " + exp(0) + " " + log(1) + " " + log10(1000) + "\n");
print(typeof sqrt(4) + " " + typeof abs(-1) + " " + typeof floor(1.5) + " " + typeof PI + "\n");
print(format("%.4f %.4f %.4f\n", sin(PI / 2), cos(0), atan2(1, 1)));
print(format("%.4f %.4f %.4f %.4f\n", tan(0.5), asin(1), acos(0), atan(1)));
print(format("%.6f\n", PI));
print(RAND_MAX + "\n");
srand(1);
print(rand() + " " + rand() + " " + rand() + "\n");
srand(1);
print(rand() + "\n");
local inRange = true;
for (local i = 0; i < 200; i++) {
    local r = rand();
    if (r < 0 || r > RAND_MAX) inRange = false;
}
print(inRange + "\n");
try { sqrt("x"); print("no error\n"); } catch (e) { print("error\n"); }

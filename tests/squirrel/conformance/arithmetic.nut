// Integer and float arithmetic, 32-bit wrap-around, C division, conversions in concatenation and comparison.
local cases = [
    ["int add", @() 2 + 3],
    ["int precedence", @() 1 + 2 * 3 - 4 / 2],
    ["int division truncates", @() 7 / 2],
    ["negative division truncates toward zero", @() -7 / 2],
    ["modulo sign follows dividend", @() -7 % 3],
    ["modulo positive", @() 7 % -3],
    ["wrap on overflow", @() 2147483647 + 1],
    ["wrap on multiply", @() 65536 * 65536],
    ["negate min", @() -(-2147483647 - 1)],
    ["hex literal", @() 0xFF + 0x10],
    ["hex wraps to negative", @() 0xFFFFFFFF],
    ["octal literal", @() 0777],
    ["char literal", @() 'A'],
    ["escaped char literal", @() '\n'],
    ["float add", @() 1.5 + 2.25],
    ["float prints integral without point", @() 3.0],
    ["float small", @() 0.1],
    ["float exponent", @() 1e10],
    ["float negative exponent", @() 1.5e-3],
    ["float six digits", @() 3.14159265],
    ["float division", @() 7.0 / 2],
    ["mixed int float", @() 1 + 0.5],
    ["float modulo", @() 7.5 % 2],
    ["float precision is single", @() 16777217.0],
    ["float division by zero is inf", @() (1.0 / 0.0) > 1e30],
    ["shift left", @() 1 << 4],
    ["shift left into sign", @() 1 << 31],
    ["shift right keeps sign", @() -16 >> 2],
    ["unsigned shift right", @() -16 >>> 28],
    ["bitwise and or xor", @() (12 & 10) + "," + (12 | 10) + "," + (12 ^ 10)],
    ["bitwise not", @() ~0],
    ["unary minus", @() -(3 + 4)],
    ["logical not", @() !0],
    ["int equals float", @() 1 == 1.0],
    ["int less than float", @() 1 < 1.5],
    ["three way compare", @() (1 <=> 2) + "," + (2 <=> 2) + "," + (3 <=> 2)],
    ["three way compare of integers is -1, 0 or 1", @() (1 <=> 5) + "," + (9 <=> -1) + "," + (-3 <=> -3)],
    ["three way compare at the ends of the integer range", @() ((-2147483647 - 1) <=> 1) + "," + (2147483647 <=> -2) + "," + (-2147483647 <=> 2147483647)],
    ["three way compare of strings is their first byte difference", @() ("a" <=> "c") + "," + ("b" <=> "ab") + "," + ("x" <=> "x")],
    ["floats are the same only bit for bit, a NaN is after all", function() { local nan = 0.0 / 0.0, z = 0.0, nz = -0.0; return (z <=> nz) + "," + (nz <=> z) + "," + (nan <=> 1.0) + "," + (1.0 <=> nan) + "," + (nan <=> nan) + "," + (nan <=> 1) + "," + (1 <=> nan) + "," + (0 <=> nz); }],
    ["ordering a NaN and a negative zero", function() { local nan = 0.0 / 0.0, z = 0.0, nz = -0.0; return (nan > 1.0) + "," + (nan < 1.0) + "," + (nan >= nan) + "," + (nz < z) + "," + (nz > z) + "," + (z <= nz); }],
    ["three way compare of floats and mixed numbers", @() (1.5 <=> 9.5) + "," + (2 <=> 0.5) + "," + (2.0 <=> 2)],
    ["string concatenation with int", @() "n=" + 5],
    ["int concatenated with string", @() 5 + "!"],
    ["float concatenation", @() "f=" + 2.5],
    ["bool concatenation", @() "b=" + true],
    ["null concatenation", @() "n=" + null],
    ["string compare", @() ("abc" < "abd") + "," + ("b" > "abc")],
    ["tointeger of float", @() (3.99).tointeger()],
    ["tointeger of negative float", @() (-3.99).tointeger()],
    ["tofloat of int", @() (3).tofloat() / 2],
    ["tostring of float", @() (0.25).tostring()],
    ["tochar", @() (72).tochar() + (105).tochar()],
    ["typeof int", @() typeof 1],
    ["typeof float", @() typeof 1.0],
    ["typeof bool", @() typeof false],
    ["typeof null", @() typeof null],
];
foreach (c in cases) print(c[0] + ": " + c[1]() + "\n");

local errors = [
    ["integer division by zero", @() 1 / 0],
    ["integer modulo by zero", @() 1 % 0],
    ["add null", @() 1 + null],
    ["compare int with string", @() 1 < "a"],
    ["bitwise on float", @() 1.5 & 1],
];
foreach (c in errors) {
    try {
        c[1]();
        print(c[0] + ": no error\n");
    } catch (e) {
        print(c[0] + ": " + e + "\n");
    }
}
local x = 10;
x += 5; print("+= " + x + "\n");
x -= 3; print("-= " + x + "\n");
x *= 2; print("*= " + x + "\n");
x /= 5; print("/= " + x + "\n");
x %= 3; print("%= " + x + "\n");
local i = 0;
print("post " + i++ + " then " + i + "\n");
print("pre " + ++i + " then " + i + "\n");
print("post dec " + i-- + " then " + i + "\n");
local f = 1.5;
f++;
print("float increment " + f + "\n");

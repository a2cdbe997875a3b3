// const and enum: values substituted at compile time.
const ANSWER = 42;
const NAME = "pendrel";
const RATIO = 0.5;
const NEG = -3;
enum Color { Red, Green, Blue }
enum Mixed { A = 10, B, C = "cee", D = 2.5 }
print("const: " + ANSWER + " " + NAME + " " + RATIO + " " + NEG + "\n");
print("enum: " + Color.Red + " " + Color.Green + " " + Color.Blue + "\n");
print("enum values: " + Mixed.A + " " + Mixed.B + " " + Mixed.C + " " + Mixed.D + "\n");
function useInFunction() { return ANSWER + Color.Blue; }
print("in function: " + useInFunction() + "\n");
local ANSWER = "local shadows";
print("local shadows constant: " + ANSWER + "\n");
switch (2) {
    case Color.Blue: print("enum in switch\n"); break;
    default: print("no\n");
}
print("const table has enum: " + (getconsttable().Color.Green) + "\n");
const LATER = 7;
print("const after use site: " + LATER + "\n");
print("typeof enum member: " + typeof Color.Red + "\n");

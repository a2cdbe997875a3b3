// Constants shared by the demo's scripts.
enum DemoState
{
    TITLE,
    PLAYING,
    PAUSED
}

// Letter keys by their scan codes.
const DEMO_KEY_P = 25
const DEMO_KEY_M = 50
const DEMO_KEY_D = 32
const DEMO_KEY_N = 49
const DEMO_KEY_U = 22

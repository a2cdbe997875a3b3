// Constants shared by the demo's scripts.
enum DemoState
{
    TITLE,
    PLAYING,
    PAUSED
}

// The developers' console: whatever a person types (keys with their text, editing and history keys
// in any order) and whatever text the scripts print into it. The input before the first zero byte
// is a run of three-byte key events: a key chosen from the console's keys and a few others, its
// text character, and press or release; the rest is printed.
#include "FuzzTarget.h"

#include "frontend/Console.h"
#include "platform/Input.h"
#include "script/ConsoleListener.h"

#include <SDL.h>
#include <string>

namespace
{
class LineSink : public ConsoleListener
{
public:
    void OnLine(Console*, const char* line) override { last = line; }
    void OnPrint(Console*, const char*) override {}
    std::string last;
};

constexpr SDL_Scancode kKeys[] = {SDL_SCANCODE_A,        SDL_SCANCODE_SPACE,    SDL_SCANCODE_RETURN,
                                  SDL_SCANCODE_BACKSPACE, SDL_SCANCODE_DELETE,   SDL_SCANCODE_LEFT,
                                  SDL_SCANCODE_RIGHT,     SDL_SCANCODE_HOME,     SDL_SCANCODE_END,
                                  SDL_SCANCODE_UP,        SDL_SCANCODE_DOWN,     SDL_SCANCODE_PAGEUP,
                                  SDL_SCANCODE_PAGEDOWN,  SDL_SCANCODE_GRAVE,    SDL_SCANCODE_TAB,
                                  SDL_SCANCODE_ESCAPE,    SDL_SCANCODE_KP_ENTER, SDL_SCANCODE_LSHIFT};

void Key(uint8_t choice, uint8_t character, bool down)
{
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = kKeys[choice % (sizeof kKeys / sizeof kKeys[0])];
    event.key.keysym.sym = SDL_GetKeyFromScancode(event.key.keysym.scancode);
    InputHandleEvent(event);
    if (down && character)
    {
        SDL_Event text = {};
        text.type = SDL_TEXTINPUT;
        text.text.text[0] = static_cast<char>(character);
        InputHandleEvent(text);
    }
}
} // namespace

FUZZ_TARGET(console)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    const FuzzSplit input = FuzzSplitAtZero(data, size);
    LineSink sink;
    Console console;
    console.SetListener(&sink);
    const std::string& keys = input.first;
    for (size_t at = 0; at + 3 <= keys.size(); at += 3)
    {
        Key(static_cast<uint8_t>(keys[at]), static_cast<uint8_t>(keys[at + 1]), keys[at + 2] & 1);
        InputUpdate();
        console.ProcessInput();
    }
    console.Print(input.rest.c_str());
    console.Printf("%s", input.rest.c_str());
    InputUpdate();
    return 0;
}

#include "frontend/Console.h"
#include "platform/Input.h"
#include "platform/ScanCodes.h"
#include "script/AppConsoleListener.h"
#include "script/ConsoleListener.h"
#include "tests/script/ScriptTestFixture.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
class RecordingConsoleListener : public ConsoleListener
{
public:
    void OnLine(Console*, const char* line) override { lines.push_back(line); }
    void OnPrint(Console*, const char* text) override { prints.push_back(text); }

    std::vector<std::string> lines;
    std::vector<std::string> prints;
};

void InjectKey(SDL_Scancode scancode, SDL_Keycode sym, bool down)
{
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = sym;
    InputHandleEvent(event);
}

void InjectText(char c)
{
    SDL_Event event = {};
    event.type = SDL_TEXTINPUT;
    event.text.text[0] = c;
    InputHandleEvent(event);
}

// Each character as a press with its text and a release; the console reads
// them after the frame's input read, as the step does.
void Type(Console& console, const std::string& text)
{
    for (char c : text)
    {
        const bool letter = c >= 'a' && c <= 'z';
        const SDL_Scancode scancode = letter ? SDL_Scancode(SDL_SCANCODE_A + (c - 'a')) : SDL_SCANCODE_SPACE;
        InjectKey(scancode, letter ? SDLK_a + (c - 'a') : SDLK_SPACE, true);
        InjectText(c);
        InjectKey(scancode, letter ? SDLK_a + (c - 'a') : SDLK_SPACE, false);
        InputUpdate();
        console.ProcessInput();
    }
}

void Press(Console& console, SDL_Scancode scancode, SDL_Keycode sym)
{
    InjectKey(scancode, sym, true);
    InjectKey(scancode, sym, false);
    InputUpdate();
    console.ProcessInput();
}

class ConsoleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InputInit();
        m_console = std::make_unique<Console>();
        m_console->SetListener(&m_listener);
    }
    void TearDown() override { InputShutdown(); }

    void Enter() { Press(*m_console, SDL_SCANCODE_RETURN, SDLK_RETURN); }
    std::string Input() const { return m_console->InputLine(); }

    RecordingConsoleListener m_listener;
    std::unique_ptr<Console> m_console;
};

TEST_F(ConsoleTest, PrintStoresTextWithItsEscapes)
{
    struct Case
    {
        const char* name;
        std::vector<const char*> prints;
        const char* stored;
    };
    const Case cases[] = {
        {"tab becomes a blank", {"a\tb"}, "a b"},
        {"break character", {"\x1a|a|b", "c|d"}, "a\nbc\nd"},
        {"set by SetBreakCharacter", {}, "x\ny"},
        {"a last escape sets nothing", {"a|\x1a", "|b"}, "a||b"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Console console;
        if (c.prints.empty())
        {
            console.SetBreakCharacter('/');
            console.Print("x/y");
        }
        for (const char* text : c.prints)
            console.Print(text);
        EXPECT_STREQ(console.Output(), c.stored);
    }
}

TEST_F(ConsoleTest, TheListenerHearsWhatWasAppended)
{
    m_console->Print("ab\tc");
    m_console->Printf("%d", 42);
    EXPECT_EQ(m_listener.prints, (std::vector<std::string>{"ab c", "42"}));
}

TEST_F(ConsoleTest, AFullBufferDropsItsOldestBlocks)
{
    std::string text;
    for (int i = 0; i < 40000; ++i)
        text += char('a' + i % 26);
    m_console->Print(text.c_str());
    const int kept = m_console->OutputLength();
    EXPECT_LE(kept, kConsoleOutputSize);
    EXPECT_GT(kept, kConsoleOutputSize - kConsoleOutputDrop);
    EXPECT_EQ(std::string(m_console->Output()), text.substr(text.size() - size_t(kept)));
}

TEST_F(ConsoleTest, ALineGoesToTheListenerAndTheHistory)
{
    Type(*m_console, "ab c");
    EXPECT_EQ(Input(), "> ab c");
    Enter();
    EXPECT_EQ(m_listener.lines, (std::vector<std::string>{"ab c\n"}));
    EXPECT_EQ(Input(), "> ");
    EXPECT_NE(std::string(m_console->Output()).find("> ab c\n"), std::string::npos);
    EXPECT_STREQ(m_console->HistoryLine(0), "ab c");
}

TEST_F(ConsoleTest, EditingKeysStayInsideTheTypedPart)
{
    Press(*m_console, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE);
    EXPECT_EQ(Input(), "> ") << "backspace after the prompt";
    Type(*m_console, "abc");
    Press(*m_console, SDL_SCANCODE_LEFT, SDLK_LEFT);
    Press(*m_console, SDL_SCANCODE_LEFT, SDLK_LEFT);
    Type(*m_console, "x");
    EXPECT_EQ(Input(), "> axbc");
    Press(*m_console, SDL_SCANCODE_DELETE, SDLK_DELETE);
    EXPECT_EQ(Input(), "> axc");
    for (int i = 0; i < 5; ++i)
        Press(*m_console, SDL_SCANCODE_LEFT, SDLK_LEFT);
    EXPECT_EQ(m_console->CursorPosition(), 2);
    Press(*m_console, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
    EXPECT_EQ(Input(), "> axc") << "escape types nothing";
}

TEST_F(ConsoleTest, TypingStopsAtTheEndOfTheLine)
{
    Type(*m_console, std::string(130, 'a'));
    EXPECT_EQ(Input().size(), 126u);
    EXPECT_EQ(m_console->CursorPosition(), 126);
}

TEST_F(ConsoleTest, UpWalksTheHistoryNewestFirst)
{
    for (int i = 0; i < 18; ++i)
    {
        Type(*m_console, std::string(1, char('a' + i)));
        Enter();
    }
    std::string walked;
    for (int i = 0; i < 17; ++i)
    {
        Press(*m_console, SDL_SCANCODE_UP, SDLK_UP);
        walked += Input().substr(2);
    }
    // Fifteen lines are kept: the slot the next line goes into is clear.
    EXPECT_EQ(walked, "rqponmlkjihgfeddd");
    Press(*m_console, SDL_SCANCODE_DOWN, SDLK_DOWN);
    EXPECT_EQ(Input(), "> e");
}

TEST_F(ConsoleTest, ConsumedKeysAreSwallowed)
{
    InjectKey(SDL_SCANCODE_SPACE, SDLK_SPACE, true);
    InjectText(' ');
    InputUpdate();
    EXPECT_TRUE(InputIsKeyNewlyDown(KEY_SPACE));
    m_console->ProcessInput();
    EXPECT_FALSE(InputIsKeyNewlyDown(KEY_SPACE));
    EXPECT_TRUE(InputIsKeyDown(KEY_SPACE));
}

TEST_F(ConsoleTest, ScrollKeys)
{
    Press(*m_console, SDL_SCANCODE_PAGEUP, SDLK_PAGEUP);
    Press(*m_console, SDL_SCANCODE_PAGEUP, SDLK_PAGEUP);
    Press(*m_console, SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN);
    EXPECT_EQ(m_console->Scroll(), 10);
    for (int i = 0; i < 3; ++i)
        Press(*m_console, SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN);
    EXPECT_EQ(m_console->Scroll(), 0);
    Press(*m_console, SDL_SCANCODE_PAGEUP, SDLK_PAGEUP);
    Press(*m_console, SDL_SCANCODE_END, SDLK_END);
    EXPECT_EQ(m_console->Scroll(), 0);
}

void PrintToConsole(Console* console, const char* text)
{
    console->Print(text);
}

class ConsoleScriptTest : public ScriptTest
{
};

TEST_F(ConsoleScriptTest, ATypedLineRunsAsScriptAndShowsItsPrints)
{
    sq_setprintfunc(vm(), ScriptPrintFunc, ScriptPrintFunc);
    InputInit();
    AppConsoleListener listener(PrintToConsole);
    Console console;
    console.SetListener(&listener);
    const std::string line = "answer <- 6 * 7; print(\"said \" + answer);";
    Type(console, line);
    Press(console, SDL_SCANCODE_RETURN, SDLK_RETURN);
    EXPECT_EQ(GlobalInt("answer"), 42) << Reports();
    EXPECT_NE(std::string(console.Output()).find("said 42"), std::string::npos) << console.Output();
    Run("print(\"elsewhere\");");
    EXPECT_EQ(std::string(console.Output()).find("elsewhere"), std::string::npos);
    InputShutdown();
}
} // namespace

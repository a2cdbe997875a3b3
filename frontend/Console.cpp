#include "frontend/Console.h"

#include "core/Clock.h"
#include "frontend/BasicText.h"
#include "frontend/BuiltinFont.h"
#include "platform/Input.h"
#include "platform/ScanCodes.h"
#include "script/ConsoleListener.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

namespace
{
constexpr int kScrollStep = 10;
constexpr int kLastInsertCursor = 126;
constexpr uint64_t kBlinkMicroseconds = 350000;

std::unique_ptr<BasicText> g_defaultFont;
char g_printfBuffer[kConsolePrintfSize];
} // namespace

Console::Console(BasicText* font) : m_font(font), m_prompt("> ")
{
    ResetInput();
}

void Console::CreateDefaultFont()
{
    g_defaultFont = std::make_unique<BasicText>(ConsoleBuiltinFont());
}

void Console::DestroyDefaultFont()
{
    g_defaultFont.reset();
}

BasicText* Console::DefaultFont()
{
    return g_defaultFont.get();
}

void Console::AppendOutput(char c)
{
    if (m_outputLength == kConsoleOutputSize)
    {
        memmove(m_output, m_output + kConsoleOutputDrop, size_t(kConsoleOutputSize - kConsoleOutputDrop));
        m_outputLength -= kConsoleOutputDrop;
    }
    m_output[m_outputLength++] = c;
}

void Console::Print(const char* text)
{
    int appended = 0;
    for (const char* p = text; *p; ++p)
    {
        char c = *p;
        if (c == kConsoleBreakEscape)
        {
            // A trailing escape has no character to take and sets nothing.
            if (p[1] == 0)
                break;
            m_break = *++p;
            continue;
        }
        if (m_break != 0 && c == m_break)
            c = '\n';
        else if (c == '\t')
            c = ' ';
        AppendOutput(c);
        ++appended;
    }
    m_output[m_outputLength] = 0;
    if (m_listener)
    {
        const int kept = appended < m_outputLength ? appended : m_outputLength;
        m_listener->OnPrint(this, m_output + m_outputLength - kept);
    }
}

void Console::Printf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(g_printfBuffer, sizeof g_printfBuffer, format, args);
    va_end(args);
    Print(g_printfBuffer);
}

void Console::SetBreakCharacter(char c)
{
    const char escape[3] = {kConsoleBreakEscape, c, 0};
    Print(escape);
}

void Console::SetPrompt(const char* text)
{
    m_prompt = text;
    ResetInput();
}

void Console::ResetInput()
{
    memset(m_input, 0, sizeof m_input);
    memcpy(m_input, m_prompt.c_str(), size_t(PromptLength()));
    m_cursor = PromptLength();
}

int Console::InputLength() const
{
    return int(strnlen(m_input, kConsoleLineSize - 1));
}

void Console::ProcessInput()
{
    KeyEvent event;
    while (InputPopKeyEvent(event))
    {
        if (!(event.flags & (kKeyEventPress | kKeyEventRelease)))
            continue;
        InputSwallowKeyEvent(event);
        if (event.flags & kKeyEventPress)
            PressKey(event.keyCode, event.character);
    }
}

void Console::PressKey(int keyCode, uint8_t character)
{
    switch (keyCode)
    {
    case KEY_PAGEUP:
        m_scroll += kScrollStep;
        return;
    case KEY_PAGEDOWN:
        m_scroll = m_scroll > kScrollStep ? m_scroll - kScrollStep : 0;
        return;
    case KEY_END:
        m_scroll = 0;
        return;
    case KEY_BACKSPACE:
        Backspace();
        return;
    case KEY_DELETE:
        Delete();
        return;
    case KEY_LEFT:
        if (m_cursor > PromptLength())
            --m_cursor;
        return;
    case KEY_RIGHT:
        if (m_cursor < InputLength())
            ++m_cursor;
        return;
    case KEY_UP:
        Browse(-1);
        return;
    case KEY_DOWN:
        if (m_browse != 0)
            Browse(1);
        return;
    case KEY_RETURN:
        Enter();
        return;
    case KEY_TAB:
        return;
    default:
        // Control characters (escape and the like) type nothing.
        if (character >= 32 && character != 127)
            Insert(char(character));
    }
}

void Console::Backspace()
{
    if (m_cursor <= PromptLength())
        return;
    --m_cursor;
    Delete();
}

void Console::Delete()
{
    const int length = InputLength();
    if (m_cursor >= length)
        return;
    memmove(m_input + m_cursor, m_input + m_cursor + 1, size_t(length - m_cursor));
}

void Console::Insert(char c)
{
    const int length = InputLength();
    if (m_cursor >= kLastInsertCursor || length >= kConsoleLineSize - 1)
        return;
    memmove(m_input + m_cursor + 1, m_input + m_cursor, size_t(length - m_cursor + 1));
    m_input[m_cursor++] = c;
}

// The browse position counts back from the write index, modulo the history.
void Console::Browse(int step)
{
    const int index = (m_historyWrite + m_browse + step) & (kConsoleHistoryLines - 1);
    const char* line = m_history[index];
    if (line[0] == 0)
        return;
    ResetInput();
    // ResetInput left the rest of the line zeroed, so the copy stays terminated.
    const int room = std::max(0, kConsoleLineSize - 1 - PromptLength());
    memcpy(m_input + PromptLength(), line, strnlen(line, size_t(room)));
    m_cursor = InputLength();
    m_browse = (m_browse + step) & (kConsoleHistoryLines - 1);
}

void Console::Enter()
{
    m_cursor = InputLength();
    const char* typed = m_input + PromptLength();
    char* slot = m_history[m_historyWrite];
    strncpy(slot, typed, kConsoleLineSize - 1);
    slot[kConsoleLineSize - 1] = 0;
    m_historyWrite = (m_historyWrite + 1) & (kConsoleHistoryLines - 1);
    m_history[m_historyWrite][0] = 0;
    m_browse = 0;

    char echo[kConsoleLineSize + 2];
    snprintf(echo, sizeof echo, "%s\n", m_input);
    char line[kConsoleLineSize + 1];
    snprintf(line, sizeof line, "%s\n", typed);
    Print("\xFF");
    Print(echo);
    if (m_listener)
        m_listener->OnLine(this, line);
    if (m_outputLength == 0 || m_output[m_outputLength - 1] != '\n')
        Print("\n");
    ResetInput();
}

void Console::Render(int x, int y, int width, int height) const
{
    const BasicText* font = m_font ? m_font : g_defaultFont.get();
    if (!font)
        return;
    const bool cursorShown = ((ClockNow() / kBlinkMicroseconds) & 1) != 0;
    const int inputHeight = 2 * font->LineHeight() + 2;
    const int descent = font->LargestYOffset();
    font->DrawString(m_input, m_inputColour, x, y + height - inputHeight - descent, width, inputHeight + descent,
                     cursorShown ? m_cursor : -1, kAlignLeftTop, kAlignLeftTop, 1.0f, -1);
    font->DrawBottomUp(m_output, m_outputColour, x, y, width, height - inputHeight - descent, m_scroll);
}

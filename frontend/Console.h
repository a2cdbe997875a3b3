#pragma once
// The developers' text window: a scroll-back of printed text and an input
// line with a prompt, a cursor, editing keys and a 16-line history. Entered
// lines go to the listener; the console draws with a BasicText font, by
// default the built-in one.

#include "core/FixedString.h"

#include <cstdint>

class BasicText;
class ConsoleListener;

constexpr int kConsoleOutputSize = 32768;
constexpr int kConsoleOutputDrop = 128;
constexpr int kConsoleLineSize = 128;
constexpr int kConsoleHistoryLines = 16;
constexpr int kConsolePrintfSize = 2048;
constexpr char kConsoleBreakEscape = 26;

class Console
{
public:
    explicit Console(BasicText* font = nullptr);

    void ProcessInput();
    void Render(int x, int y, int width, int height) const;
    void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void Print(const char* text);
    void SetFont(BasicText* font) { m_font = font; }
    void SetInputColour(uint32_t rgba) { m_inputColour = rgba; }
    void SetOutputColour(uint32_t rgba) { m_outputColour = rgba; }
    void SetBreakCharacter(char c);
    void SetPrompt(const char* text);
    void SetListener(ConsoleListener* listener) { m_listener = listener; }

    const char* Output() const { return m_output; }
    int OutputLength() const { return m_outputLength; }
    const char* InputLine() const { return m_input; }
    int CursorPosition() const { return m_cursor; }
    int Scroll() const { return m_scroll; }
    const char* HistoryLine(int index) const { return m_history[index & (kConsoleHistoryLines - 1)]; }

    static void CreateDefaultFont();
    static void DestroyDefaultFont();
    // Null before CreateDefaultFont.
    static BasicText* DefaultFont();

private:
    void PressKey(int keyCode, uint8_t character);
    void Backspace();
    void Delete();
    void Insert(char c);
    void Browse(int step);
    void Enter();
    void ResetInput();
    int PromptLength() const { return m_prompt.Length(); }
    int InputLength() const;
    void AppendOutput(char c);

    ConsoleListener* m_listener = nullptr;
    BasicText* m_font = nullptr;
    char m_output[kConsoleOutputSize + 1] = {};
    int m_outputLength = 0;
    FixedString64 m_prompt;
    char m_input[kConsoleLineSize + 1] = {};
    char m_history[kConsoleHistoryLines][kConsoleLineSize] = {};
    int m_cursor = 0;
    char m_break = 0;
    uint32_t m_inputColour = 0xFFFFFFFFu;
    uint32_t m_outputColour = 0xFFCCCCCCu;
    int m_scroll = 0;
    int m_browse = 0;
    int m_historyWrite = 0;
};

// sq: the command-line interpreter.
//   sq [-d] [-c] [-o OUT] [-v] [-h] [FILE [ARGS...]]
// With FILE it runs the script (source or bytecode) with every standard library registered and ARGS in
// vargv; with -c it writes the compiled script as bytecode instead. Without FILE it reads statements
// from standard input, one line at a time.
#include <sqstdaux.h>
#include <sqstdblob.h>
#include <sqstdio.h>
#include <sqstdmath.h>
#include <sqstdstring.h>
#include <sqstdsystem.h>
#include <squirrel.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

constexpr int kFailure = 255;
constexpr SQInteger kInitialStack = 1024;

struct Options
{
    bool debugInfo = false;
    bool compileOnly = false;
    bool showVersion = false;
    bool showHelp = false;
    bool badOption = false;
    std::string output = "out.cnut";
    std::string script;            // empty: interactive
    std::vector<std::string> args; // vargv of the script
};

Options ParseOptions(int argc, char** argv)
{
    Options options;
    int i = 1;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] != '\0'; ++i)
    {
        const std::string flag = argv[i];
        if (flag == "-d")
            options.debugInfo = true;
        else if (flag == "-c")
            options.compileOnly = true;
        else if (flag == "-o" && i + 1 < argc)
            options.output = argv[++i];
        else if (flag == "-v")
            options.showVersion = true;
        else if (flag == "-h")
            options.showHelp = true;
        else if (flag == "--")
        {
            ++i;
            break;
        }
        else
            options.badOption = true;
    }
    if (i < argc)
        options.script = argv[i++];
    for (; i < argc; ++i)
        options.args.emplace_back(argv[i]);
    return options;
}

void PrintVersion()
{
    const std::string copyright = SQUIRREL_COPYRIGHT;
    printf("%s%s%s (%d bits)\n", SQUIRREL_VERSION, copyright.empty() ? "" : " ", copyright.c_str(),
           int(sizeof(void*) * 8));
}

void PrintUsage()
{
    fprintf(stderr, "usage: sq <options> <scriptpath [args]>.\n"
                    "Available options are:\n"
                    "   -c              compiles the file to bytecode(default output 'out.cnut')\n"
                    "   -o              specifies output file for the -c option\n"
                    "   -d              generates debug infos\n"
                    "   -v              displays version infos\n"
                    "   -h              prints help\n");
}

// Standard output is flushed before anything goes to standard error so that the two keep their order
// when both reach the same terminal or file.
void PrintOut(HSQUIRRELVM, const SQChar* format, ...)
{
    va_list args;
    va_start(args, format);
    vfprintf(stdout, format, args);
    va_end(args);
}

void PrintErr(HSQUIRRELVM, const SQChar* format, ...)
{
    fflush(stdout);
    va_list args;
    va_start(args, format);
    vfprintf(stderr, format, args);
    va_end(args);
}

HSQUIRRELVM OpenVm(const Options& options)
{
    HSQUIRRELVM v = sq_open(kInitialStack);
    sq_setprintfunc(v, PrintOut, PrintErr);
    sq_enabledebuginfo(v, options.debugInfo ? SQTrue : SQFalse);
    sq_pushroottable(v);
    sq_registerbaselib(v);
    sqstd_register_bloblib(v);
    sqstd_register_iolib(v);
    sqstd_register_systemlib(v);
    sqstd_register_mathlib(v);
    sqstd_register_stringlib(v);
    sq_pop(v, 1);
    sqstd_seterrorhandlers(v);
    return v;
}

void ReportLastError(HSQUIRRELVM v, const std::string& path)
{
    sq_getlasterror(v);
    const SQChar* message = nullptr;
    if (sq_gettype(v, -1) == OT_STRING && SQ_SUCCEEDED(sq_getstring(v, -1, &message)))
        PrintErr(v, "Error [%s] %s\n", path.c_str(), message);
    sq_pop(v, 1);
}

// Whether the file opens with the tag that marks compiled bytecode.
bool StartsAsBytecode(FILE* file)
{
    unsigned char tag[2];
    return fread(tag, 1, sizeof(tag), file) == sizeof(tag) &&
           (tag[0] | tag[1] << 8) == SQ_BYTECODE_STREAM_TAG;
}

// Compile errors are printed by the compiler's handler; a file that cannot be read, and bytecode that
// does not load, are reported here.
bool LoadScript(HSQUIRRELVM v, const std::string& path)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
    {
        PrintErr(v, "Error [%s] cannot open the file\n", path.c_str());
        return false;
    }
    const bool bytecode = StartsAsBytecode(file);
    fclose(file);
    if (SQ_SUCCEEDED(sqstd_loadfile(v, path.c_str(), SQTrue)))
        return true;
    if (bytecode)
        ReportLastError(v, path);
    return false;
}

int CompileToFile(HSQUIRRELVM v, const Options& options)
{
    if (!LoadScript(v, options.script))
        return kFailure;
    const bool written = SQ_SUCCEEDED(sqstd_writeclosuretofile(v, options.output.c_str()));
    if (!written)
        ReportLastError(v, options.output);
    sq_pop(v, 1);
    return written ? 0 : kFailure;
}

// The script's integer result becomes the exit status, as a C main's would.
int ExitStatusOf(HSQUIRRELVM v)
{
    SQInteger result = 0;
    if (sq_gettype(v, -1) == OT_INTEGER)
        sq_getinteger(v, -1, &result);
    return int(result);
}

int RunScript(HSQUIRRELVM v, const Options& options)
{
    const SQInteger top = sq_gettop(v);
    if (!LoadScript(v, options.script))
        return kFailure;
    sq_pushroottable(v);
    for (const std::string& arg : options.args)
        sq_pushstring(v, arg.c_str(), SQInteger(arg.size()));
    int status = kFailure;
    if (SQ_SUCCEEDED(sq_call(v, SQInteger(options.args.size()) + 1, SQTrue, SQTrue)))
        status = ExitStatusOf(v);
    sq_settop(v, top);
    return status;
}

// Interactive mode: a statement may span lines while braces are open or a line ends with '\'.
// A statement starting with '=' is an expression whose value is printed.
class Repl
{
public:
    explicit Repl(HSQUIRRELVM v) : m_v(v), m_prompt(isatty(STDIN_FILENO) != 0) { RegisterQuit(); }

    int Run()
    {
        if (m_prompt)
            PrintVersion();
        std::string line;
        while (!m_quit && (Prompt(), ReadLine(line)))
        {
            AddLine(line);
            if (m_depth <= 0 && !m_continued)
                Flush();
        }
        if (!m_pending.empty() && !m_quit)
            Flush();
        if (m_prompt)
            printf("\n");
        return 0;
    }

private:
    // quit() ends the console after the statement that calls it.
    void RegisterQuit()
    {
        sq_pushroottable(m_v);
        sq_pushstring(m_v, "quit", -1);
        sq_pushuserpointer(m_v, &m_quit);
        sq_newclosure(m_v, Quit, 1);
        sq_newslot(m_v, -3, SQFalse);
        sq_pop(m_v, 1);
    }

    static SQInteger Quit(HSQUIRRELVM v)
    {
        SQUserPointer flag = nullptr;
        if (SQ_SUCCEEDED(sq_getuserpointer(v, -1, &flag)))
            *static_cast<bool*>(flag) = true;
        return 0;
    }

    void Prompt() const
    {
        if (!m_prompt)
            return;
        printf(m_pending.empty() ? "\nsq>" : "...");
        fflush(stdout);
    }

    static bool ReadLine(std::string& line)
    {
        line.clear();
        int c = 0;
        while ((c = getchar()) != EOF && c != '\n')
            line.push_back(char(c));
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return c != EOF || !line.empty();
    }

    void AddLine(std::string line)
    {
        m_continued = !line.empty() && line.back() == '\\';
        if (m_continued)
            line.pop_back();
        for (const char c : line)
            m_depth += c == '{' ? 1 : c == '}' ? -1 : 0;
        m_pending += line;
        m_pending += '\n';
    }

    void Flush()
    {
        std::string source;
        source.swap(m_pending);
        m_depth = 0;
        m_continued = false;
        const size_t start = source.find_first_not_of(" \t\r\n");
        if (start == std::string::npos)
            return;
        if (source[start] == '=')
            Evaluate("return (" + source.substr(start + 1) + ")", true);
        else
            Evaluate(source, false);
    }

    void Evaluate(const std::string& source, bool printResult)
    {
        const SQInteger top = sq_gettop(m_v);
        if (SQ_SUCCEEDED(sq_compilebuffer(m_v, source.c_str(), SQInteger(source.size()),
                                          "interactive console", SQTrue)))
        {
            sq_pushroottable(m_v);
            if (SQ_SUCCEEDED(sq_call(m_v, 1, printResult ? SQTrue : SQFalse, SQTrue)) && printResult)
                PrintValue();
        }
        sq_settop(m_v, top);
    }

    // Prints the value on top of the stack through the script's own print, so it reads as print(x) would.
    void PrintValue()
    {
        const SQInteger value = sq_gettop(m_v);
        sq_pushroottable(m_v);
        sq_pushstring(m_v, "print", -1);
        if (SQ_SUCCEEDED(sq_get(m_v, -2)))
        {
            sq_pushroottable(m_v);
            sq_push(m_v, value);
            sq_call(m_v, 2, SQFalse, SQTrue);
        }
        printf("\n");
    }

    HSQUIRRELVM m_v;
    bool m_prompt;
    std::string m_pending;
    int m_depth = 0;
    bool m_continued = false;
    bool m_quit = false;
};

int Dispatch(const Options& options)
{
    if (options.badOption || options.showHelp)
    {
        PrintVersion();
        PrintUsage();
        return options.badOption ? kFailure : 0;
    }
    if (options.showVersion)
    {
        PrintVersion();
        if (options.script.empty())
            return 0;
    }
    if (options.compileOnly && options.script.empty())
    {
        PrintUsage();
        return kFailure;
    }
    HSQUIRRELVM v = OpenVm(options);
    int status = 0;
    if (options.script.empty())
        status = Repl(v).Run();
    else if (options.compileOnly)
        status = CompileToFile(v, options);
    else
        status = RunScript(v, options);
    sq_close(v);
    fflush(stdout);
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    return Dispatch(ParseOptions(argc, argv));
}

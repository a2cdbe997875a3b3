// sq: the command-line interpreter, behaving as the Squirrel 3.0 one does.
//   sq [-d] [-c] [-o OUT] [-v] [-h] [FILE [ARGS...]]
// With FILE it runs the script (source or bytecode) with every standard library registered and ARGS in
// vargv; with -c it writes the compiled script as bytecode instead. Without FILE it reads statements
// from standard input.
#include <sqstdaux.h>
#include <sqstdblob.h>
#include <sqstdio.h>
#include <sqstdmath.h>
#include <sqstdstring.h>
#include <sqstdsystem.h>
#include <squirrel.h>

#include <cstdarg>
#include <cstdio>
#include <string>

namespace
{

constexpr SQInteger kInitialStack = 1024;
// The exit statuses main returns for a bad option and for a script that does not load.
constexpr int kBadOptionStatus = -1;
constexpr int kLoadFailedStatus = -2;

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

void PrintVersion()
{
    printf("%s %s (%d bits)\n", SQUIRREL_VERSION, SQUIRREL_COPYRIGHT, int(sizeof(SQInteger) * 8));
}

// The "-c" line stands twice, as in the interpreter whose output this one matches.
void PrintUsage()
{
    fflush(stdout);
    fprintf(stderr, "usage: sq <options> <scriptpath [args]>.\n"
                    "Available options are:\n"
                    "   -c              compiles the file to bytecode(default output 'out.cnut')\n"
                    "   -o              specifies output file for the -c option\n"
                    "   -c              compiles only\n"
                    "   -d              generates debug infos\n"
                    "   -v              displays version infos\n"
                    "   -h              prints help\n");
}

HSQUIRRELVM OpenVm()
{
    HSQUIRRELVM v = sq_open(kInitialStack);
    sq_setprintfunc(v, PrintOut, PrintErr);
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

// A script that cannot be read, compiled or written is reported on standard output; the compiler's
// own report has already gone to standard error.
int ReportLoadFailure(HSQUIRRELVM v)
{
    sq_getlasterror(v);
    const SQChar* message = nullptr;
    if (sq_gettype(v, -1) == OT_STRING && SQ_SUCCEEDED(sq_getstring(v, -1, &message)))
        printf("Error [%s]\n", message);
    sq_pop(v, 1);
    return kLoadFailedStatus;
}

int CompileToFile(HSQUIRRELVM v, const char* script, const char* output)
{
    if (SQ_FAILED(sqstd_loadfile(v, script, SQTrue)))
        return ReportLoadFailure(v);
    const bool written = SQ_SUCCEEDED(sqstd_writeclosuretofile(v, output ? output : "out.cnut"));
    sq_pop(v, 1);
    return written ? 0 : ReportLoadFailure(v);
}

// The script's integer result becomes the exit status. A script stopped by an uncaught error still
// exits with 0: the error report is the sign of failure.
int RunScript(HSQUIRRELVM v, const char* script, int argc, char** argv)
{
    if (SQ_FAILED(sqstd_loadfile(v, script, SQTrue)))
        return ReportLoadFailure(v);
    sq_pushroottable(v);
    for (int i = 0; i < argc; ++i)
        sq_pushstring(v, argv[i], -1);
    SQInteger result = 0;
    if (SQ_SUCCEEDED(sq_call(v, argc + 1, SQTrue, SQTrue)) && sq_gettype(v, -1) == OT_INTEGER)
        sq_getinteger(v, -1, &result);
    return int(result);
}

// Interactive mode. A statement ends at a newline unless braces are open or the line ends with '\'.
// A statement starting with '=' is an expression whose value is printed. quit() ends the console
// after the statement that calls it; so does the end of the input.
class Console
{
public:
    explicit Console(HSQUIRRELVM v) : m_v(v) {}

    void Run()
    {
        PrintVersion();
        RegisterQuit();
        while (!m_quit)
        {
            printf("\nsq>");
            std::string statement;
            const bool more = ReadStatement(statement);
            Execute(statement);
            if (!more)
                break;
        }
    }

private:
    static constexpr size_t kMaxStatement = 1023;

    void RegisterQuit()
    {
        sq_pushroottable(m_v);
        sq_pushstring(m_v, "quit", -1);
        sq_pushuserpointer(m_v, &m_quit);
        sq_newclosure(m_v, Quit, 1);
        sq_setparamscheck(m_v, 1, nullptr);
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

    // Brace and quote counting is as rough as the original console's: a '}' counts even inside a
    // string, a quote of either kind opens or closes a string, and both counts carry over from one
    // statement to the next. False at the end of the input.
    bool ReadStatement(std::string& statement)
    {
        for (;;)
        {
            const int c = getchar();
            if (c == EOF)
                return false;
            if (c == '\n')
            {
                if (!statement.empty() && statement.back() == '\\')
                    statement.back() = '\n';
                else if (m_openBlocks == 0)
                    return true;
            }
            else if (c == '}')
                --m_openBlocks;
            else if (c == '{' && !m_inString)
                ++m_openBlocks;
            else if (c == '"' || c == '\'')
                m_inString = !m_inString;
            if (statement.size() >= kMaxStatement)
            {
                PrintErr(m_v, "sq : input line too long\n");
                return true;
            }
            statement.push_back(char(c));
        }
    }

    void Execute(std::string statement)
    {
        const bool printResult = !statement.empty() && statement[0] == '=';
        if (printResult)
            statement = "return (" + statement.substr(1) + ")";
        if (statement.empty())
            return;
        const SQInteger top = sq_gettop(m_v);
        if (SQ_SUCCEEDED(sq_compilebuffer(m_v, statement.c_str(), SQInteger(statement.size()),
                                          "interactive console", SQTrue)))
        {
            sq_pushroottable(m_v);
            if (SQ_SUCCEEDED(sq_call(m_v, 1, printResult ? SQTrue : SQFalse, SQTrue)) && printResult)
            {
                printf("\n");
                PrintValue();
                printf("\n");
            }
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
    }

    HSQUIRRELVM m_v;
    SQInteger m_openBlocks = 0;
    bool m_inString = false;
    bool m_quit = false;
};

// Options are read up to the first argument that does not start with '-'; only an option's second
// character counts, so "-debug" is "-d". -v and -h end the run at once.
int Dispatch(HSQUIRRELVM v, int argc, char** argv)
{
    bool compileOnly = false;
    const char* output = nullptr;
    int arg = 1;
    for (; arg < argc && argv[arg][0] == '-'; ++arg)
    {
        switch (argv[arg][1])
        {
        case 'd':
            sq_enabledebuginfo(v, SQTrue);
            break;
        case 'c':
            compileOnly = true;
            break;
        case 'o':
            ++arg;
            output = arg < argc ? argv[arg] : nullptr;
            break;
        case 'v':
            PrintVersion();
            return 0;
        case 'h':
            PrintVersion();
            PrintUsage();
            return 0;
        default:
            PrintVersion();
            printf("unknown prameter '-%c'\n", argv[arg][1]);
            PrintUsage();
            return kBadOptionStatus;
        }
    }
    if (arg >= argc)
    {
        Console(v).Run();
        return 0;
    }
    const char* script = argv[arg];
    if (compileOnly)
        return CompileToFile(v, script, output);
    return RunScript(v, script, argc - arg - 1, argv + arg + 1);
}

} // namespace

int main(int argc, char** argv)
{
    HSQUIRRELVM v = OpenVm();
    const int status = Dispatch(v, argc, argv);
    sq_close(v);
    fflush(stdout);
    return status;
}

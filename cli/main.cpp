// kestrimo-cli: the command-line twin of a drop on Kestrimo's window.
#include "console.h"
#include "xer/convert_drop.h"
#include "xer/file_exception.h"

#include <new>
#include <vector>

#ifdef _WIN32
#include "classlib/wide_win.h"
#else
#include "classlib/utf8.h"
#endif

namespace {

constexpr const char16_t* kUsage =
    u"Usage: kestrimo-cli [-o DIR] [--overwrite | --no-overwrite] FILE...\n"
    u"\n"
    u"Writes a copy of each FILE without its POBS table into the output folder,\n"
    u"named \"[NO-POBS]\" + the file's name. FILE is only read. The files are\n"
    u"handled in the order given, as the files of one drop on Kestrimo's window.\n"
    u"Line ends become CR LF; every other byte is copied as it is.\n"
    u"\n"
    u"  -o DIR          the output folder; without it the folder is asked for on the\n"
    u"                  terminal (an empty answer cancels and converts nothing)\n"
    u"  --overwrite     replace existing outputs without asking\n"
    u"  --no-overwrite  keep existing outputs, without asking\n"
    u"  --help          show this text\n"
    u"\n"
    u"An existing output is asked about on a terminal; without a terminal it is\n"
    u"kept unless --overwrite is given. Each failure is reported on standard error,\n"
    u"the count of files generated on standard output.\n"
    u"\n"
    u"Exit status: 0 when every file was converted or kept by choice; 1 when a file\n"
    u"could not be opened or created, or the folder question was cancelled;\n"
    u"2 when a read or write error ended the run, or for bad usage.";

enum class Overwrite { Ask, Always, Never };

class CommandLinePrompts : public Prompts {
public:
    CommandLinePrompts(Overwrite overwrite, bool interactive) : m_overwrite(overwrite), m_interactive(interactive) {}

    bool ChooseFolder(const CString& entryText, CString& folder) override
    {
        WritePrompt(entryText + u": ");
        return ReadLine(folder) && !folder.IsEmpty();
    }

    void ShowMessage(const CString& text) override { WriteLine(stderr, text); }

    bool AskYesNo(const CString& question) override
    {
        if (m_overwrite != Overwrite::Ask || !m_interactive) {
            return m_overwrite == Overwrite::Always;
        }
        WritePrompt(question + u" [y/N] ");
        CString answer;
        return ReadLine(answer) && (answer == u"y" || answer == u"Y" || answer == u"yes" || answer == u"Yes");
    }

    void ShowResult(const CString& text) override { WriteLine(stdout, text); }

private:
    Overwrite m_overwrite;
    bool m_interactive;
};

int UsageError(const CString& problem)
{
    WriteLine(stderr, u"kestrimo-cli: " + problem);
    WriteLine(stderr, u"Try 'kestrimo-cli --help'.");
    return 2;
}

int Run(const std::vector<CString>& arguments)
{
    CString outputFolder;
    Overwrite overwrite = Overwrite::Ask;
    std::vector<CString> paths;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const CString& argument = arguments[i];
        if (optionsEnded || argument.IsEmpty() || argument[0] != u'-' || argument == u"-") {
            paths.push_back(argument);
        } else if (argument == u"--") {
            optionsEnded = true;
        } else if (argument == u"--help" || argument == u"-h") {
            WriteLine(stdout, kUsage);
            return 0;
        } else if (argument == u"-o") {
            if (++i == arguments.size() || arguments[i].IsEmpty()) {
                return UsageError(u"-o needs a folder");
            }
            outputFolder = arguments[i];
        } else if (argument == u"--overwrite") {
            overwrite = Overwrite::Always;
        } else if (argument == u"--no-overwrite") {
            overwrite = Overwrite::Never;
        } else {
            return UsageError(u"unknown option " + argument);
        }
    }
    if (paths.empty()) {
        return UsageError(u"no files given");
    }
    const bool interactive = IsInteractive();
    if (outputFolder.IsEmpty() && !interactive) {
        return UsageError(u"no output folder: give -o DIR, or run on a terminal to be asked");
    }

    CommandLinePrompts prompts(overwrite, interactive);
    DroppedPathList drop(std::move(paths));
    try {
        const DropOutcome outcome = ConvertDroppedFiles(drop, outputFolder, prompts);
        return outcome.folderChosen && outcome.failures == 0 ? 0 : 1;
    } catch (const CException& error) {
        WriteLine(stderr, error.GetErrorMessage());
    } catch (const std::bad_alloc&) {
        WriteLine(stderr, CMemoryException().GetErrorMessage());
    }
    return 2;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv)
{
    std::vector<CString> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(FromWide(argv[i]));
    }
    return Run(arguments);
}
#else
int main(int argc, char** argv)
{
    std::vector<CString> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(FromUtf8(argv[i]));
    }
    return Run(arguments);
}
#endif

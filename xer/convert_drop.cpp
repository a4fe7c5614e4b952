#include "convert_drop.h"

#include "os_file.h"
#include "pobs_filter.h"
#include "stdio_file.h"

namespace {

constexpr const char16_t* kFolderEntryText = u"please choose output directory";
constexpr const char16_t* kOutputPrefix = u"[NO-POBS]";

// Gives the drop back on every way out of the conversion.
class ReleaseOnExit {
public:
    explicit ReleaseOnExit(DroppedPaths& drop) : m_drop(drop) {}
    ReleaseOnExit(const ReleaseOnExit&) = delete;
    ReleaseOnExit& operator=(const ReleaseOnExit&) = delete;
    ~ReleaseOnExit() { m_drop.Release(); }

private:
    DroppedPaths& m_drop;
};

// Writes the output and closes it. When a failure ends the copy, the unfinished
// output is deleted before the failure travels on, so that nothing half-written
// is left looking finished.
void CopyIntoOutput(CStdioFile& input, CStdioFile& output)
{
    try {
        CopyWithoutPobs(input, output);
        output.Close();
    } catch (...) {
        output.Abort();
        RemoveFile(output.GetFilePath());
        throw;
    }
}

}  // namespace

DropOutcome ConvertDroppedFiles(DroppedPaths& drop, CString& outputFolder, Prompts& prompts)
{
    ReleaseOnExit release(drop);
    DropOutcome outcome;
    if (outputFolder.IsEmpty()) {
        CString chosen;
        // Without a folder nothing is converted: an empty folder would put every
        // output into the root of the current drive.
        if (!prompts.ChooseFolder(kFolderEntryText, chosen) || chosen.IsEmpty()) {
            return outcome;
        }
        outputFolder = chosen;
    }
    outcome.folderChosen = true;

    const unsigned count = drop.Count();
    for (unsigned index = 0; index < count; ++index) {
        const CString inputPath = drop.Path(index);
        CStdioFile input;
        if (!input.Open(inputPath, OpenMode::Read)) {
            prompts.ShowMessage(u"Failed to open file " + inputPath);
            ++outcome.failures;
            continue;
        }
        CString outputPath = outputFolder;
        outputPath.Append(&kPathSeparator, 1);
        outputPath += kOutputPrefix;
        outputPath += FindFileName(input.GetFilePath());

        CStdioFile output;
        if (PathExists(outputPath)) {
            if (!prompts.AskYesNo(u"File " + outputPath + u" already exists. Overwrite it?")) {
                input.Close();
                continue;
            }
            if (!output.Open(outputPath, OpenMode::Replace)) {
                prompts.ShowMessage(u"Failed to open file " + outputPath);
                ++outcome.failures;
                input.Close();
                continue;
            }
        } else if (!output.Open(outputPath, OpenMode::Create)) {
            prompts.ShowMessage(u"Failed to create file " + outputPath);
            ++outcome.failures;
            input.Close();
            continue;
        }
        CopyIntoOutput(input, output);
        ++outcome.filesGenerated;
    }

    drop.Release();
    CString result;
    result.Format(u"%d files generated in the specified folder[%s]", outcome.filesGenerated,
                  outputFolder.GetString());
    prompts.ShowResult(result);
    return outcome;
}

#pragma once

#include "classlib/cstring.h"

#include <utility>
#include <vector>

// The files of one drop, in the order the shell lists them. Each path is read
// just before its file is handled.
class DroppedPaths {
public:
    virtual ~DroppedPaths() = default;
    virtual unsigned Count() = 0;
    virtual CString Path(unsigned index) = 0;
    // Gives the drop back to the system; later calls do nothing.
    virtual void Release() noexcept = 0;
};

// A drop given as a list, as on a command line.
class DroppedPathList : public DroppedPaths {
public:
    explicit DroppedPathList(std::vector<CString> paths) : m_paths(std::move(paths)) {}
    unsigned Count() override { return static_cast<unsigned>(m_paths.size()); }
    CString Path(unsigned index) override { return m_paths.at(index); }
    void Release() noexcept override { m_released = true; }
    bool IsReleased() const noexcept { return m_released; }

private:
    std::vector<CString> m_paths;
    bool m_released = false;
};

// What the conversion asks and tells the user. Each call waits for the answer.
class Prompts {
public:
    virtual ~Prompts() = default;
    // Asks for the output folder, the name box holding `entryText` to start with.
    // False for Cancel. True with the folder chosen, which is empty when the
    // choice named no file-system folder.
    virtual bool ChooseFolder(const CString& entryText, CString& folder) = 0;
    // A message with an OK button.
    virtual void ShowMessage(const CString& text) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool AskYesNo(const CString& question) = 0;
    // The message that closes a drop; an OK box like any other unless a front
    // end gives it a place of its own.
    virtual void ShowResult(const CString& text) { ShowMessage(text); }
};

struct DropOutcome {
    bool folderChosen = false;  // false: the drop ended at the folder prompt
    int filesGenerated = 0;
    int failures = 0;  // inputs that did not open, outputs that could not be opened or created
};

// Converts every file of `drop` into "[NO-POBS]" + its name inside
// `outputFolder`, without its POBS table. Asks for the folder when
// `outputFolder` is empty and remembers the choice there. Reports each file that
// fails and goes on; a file error or exhausted memory ends the drop and travels
// on to the caller, after the output being written has been deleted. The drop is
// released on every way out.
DropOutcome ConvertDroppedFiles(DroppedPaths& drop, CString& outputFolder, Prompts& prompts);

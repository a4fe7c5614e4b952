#pragma once

class CStdioFile;

// Copies the lines of `input` to `output`, each followed by a line end, leaving
// out every table named POBS: from its "%T\tPOBS" line up to the next line that
// opens a table or the "%E" end marker, which are copied. Letters compare without
// regard to case. File errors travel on unchanged.
void CopyWithoutPobs(CStdioFile& input, CStdioFile& output);

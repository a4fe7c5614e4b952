#pragma once

// Resource identifiers of the main window; shared by the code and the .rc files.
#define IDD_MAIN_DIALOG 102
#define IDR_MAINFRAME 128

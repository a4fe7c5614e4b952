// The one application object of the program. The entry (wWinMain) finds it and
// runs it.

#include "kestrimo_app.h"

CKestrimoApp theApp;

#include <windows.h>

#include "win32/shell/front_end_win32.h"

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int /*show*/) {
    return mnemora::win32::runMnemora();
}

#include "qt/shell/startup_qt.h"

int main(int argc, char** argv) { return mnemora::runMnemora(argc, argv); }

#include "qt/help/help_viewer_qt.h"

int main(int argc, char** argv) { return mnemora::runHelpViewer(argc, argv); }

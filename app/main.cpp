// linecal-app: the tray program with the entry dialog.
#include "app/AppProgram.h"

int main(int argc, char** argv) { return linecal::runAppProgram(argc, argv); }

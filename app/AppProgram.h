// The desktop program from its command line to the end of its event loop.
#pragma once

// Makes the program's icons available; the program does it itself, tests call it.
void initAppResources();

namespace linecal {

int runAppProgram(int argc, char** argv);

}  // namespace linecal

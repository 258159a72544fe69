// Start-up of the program.
#pragma once

namespace sondalink {

// Works out and creates the data folder, then shows the window.
void Main();

}  // namespace sondalink

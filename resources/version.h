/* The program's version, shared by the version resource and the code. */
#pragma once
#define SONDALINK_VERSION_MAJOR 15
#define SONDALINK_VERSION_MINOR 0
#define SONDALINK_VERSION_BUILD 0
#define SONDALINK_VERSION_REVISION 22
#define SONDALINK_VERSION_TEXT "15.0.0.22"

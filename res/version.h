#pragma once

// The program's release number: the version resource and the log header both show it.
#define HALVORN_VERSION_MAJOR 1
#define HALVORN_VERSION_MINOR 0
#define HALVORN_VERSION_PATCH 0
#define HALVORN_VERSION_BUILD 19
#define HALVORN_VERSION_TEXT "1.0.0.19"

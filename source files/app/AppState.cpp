#include "app/AppState.h"

AppState g_appState;
